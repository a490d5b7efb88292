package com.morvalent.signature;

/** The command line of the running process, exactly as Windows holds it. */
public final class CommandLine {
    static {
        NativeLibrary.load();
    }

    private CommandLine() {
    }

    public static String get() {
        return _commandLine();
    }

    private static native String _commandLine();
}
