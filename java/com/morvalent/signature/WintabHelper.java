package com.morvalent.signature;

import java.awt.Component;

/** Pen input from a tablet or signature pad on one AWT component. */
public class WintabHelper {
    static {
        NativeLibrary.load();
    }

    /** Address of the native record; written only by the natives. */
    private long handle;

    public WintabHelper(Component component) {
        ctr(component);
    }

    private native void ctr(Component component);

    @Override
    protected native void finalize();

    public native void addActionListener(WintabListener listener);

    public native void removeActionListener(WintabListener listener);

    /** True when the tablet context is open and delivery is now enabled. */
    public native boolean enable();

    public native void disable();

    public native boolean isEnabled();
}
