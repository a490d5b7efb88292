package com.morvalent.signature;

/** Hands an e-mail with one attachment to the user's mail client through postwell. */
public final class MAPIMessage {
    static {
        NativeLibrary.load();
    }

    private MAPIMessage() {
    }

    /**
     * Starts postwell with the message; returns 0 while its compose dialog is open,
     * postwell's exit code when it has already ended, or a negative failure code.
     */
    public static native int send(String recipient, String subject, String text, String attachmentPath);
}
