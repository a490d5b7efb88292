package com.morvalent.signature;

/** Facts about the signed-in user that only Windows knows. */
public final class SystemInfo {
    static {
        NativeLibrary.load();
    }

    private SystemInfo() {
    }

    /** The name of the user as whom the calling thread runs, without a domain. */
    public static String userName() {
        return _userName();
    }

    private static native String _userName();
}
