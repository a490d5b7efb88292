package com.morvalent.signature;

/** Loads tdckInkvaleJNI once, before the first native of this package runs. */
final class NativeLibrary {
    private static boolean loaded;

    private NativeLibrary() {
    }

    static synchronized void load() {
        if (!loaded) {
            System.loadLibrary("tdckInkvaleJNI");
            loaded = true;
        }
    }
}
