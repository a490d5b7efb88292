package com.morvalent.signature;

/** Receives pen packets that fall inside the component, on the component window's thread. */
public interface WintabListener {
    /**
     * @param down     whether the pen tip (button 0) is held
     * @param x        pixels from the left of the component's client area
     * @param y        pixels from the top of the component's client area
     * @param pressure normal pressure from 0 to 1
     */
    void onAction(boolean down, float x, float y, float pressure);
}
