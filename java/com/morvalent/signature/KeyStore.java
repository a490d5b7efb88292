package com.morvalent.signature;

/** Repairs the aliases of a keystore backed by a Windows system certificate store. */
public final class KeyStore {
    static {
        NativeLibrary.load();
    }

    private KeyStore() {
    }

    /** Gives each entry the name under which Windows shows its certificate. Silent on failure. */
    public static native void fixKeyStore(java.security.KeyStore keyStore);
}
