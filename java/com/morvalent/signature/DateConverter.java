package com.morvalent.signature;

/** Dates and times in the user's regional format. */
public final class DateConverter {
    public static final int SHORT_DATE = 0;
    public static final int LONG_DATE = 1;
    public static final int TIME_NO_SECONDS = 2;
    public static final int TIME = 3;

    static {
        NativeLibrary.load();
    }

    private DateConverter() {
    }

    /**
     * Formats a java.util.Calendar, a java.util.Date, or the current time for null.
     *
     * @throws Exception "Unable to convert date object" or "Invalid format value"
     */
    public static native String toString(Object date, int format);
}
