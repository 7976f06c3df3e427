package com.quarn.runtime;

/** The quarn flavour's launcher class, and the splash configuration of both flavours. */
public final class WinLauncher {
    private static volatile SplashConfig splashConfig;

    private WinLauncher() {}

    public static void main(String[] args) throws Throwable {
        LaunchSupport.launch(args);
    }

    /**
     * Called by the launcher before main when a splash screen is configured:
     * the first flag is always true, then a flag, and four groups of a text
     * and two numbers (the second text of each pair is a colour "r,g,b").
     */
    public static void initAwtSplashConfig(boolean enabled, boolean flag,
            String text1, int x1, int y1, String text2, int x2, int y2,
            String text3, int x3, int y3, String text4, int x4, int y4) {
        splashConfig = new SplashConfig(enabled, flag,
                new String[] {text1, text2, text3, text4},
                new int[] {x1, y1, x2, y2, x3, y3, x4, y4});
    }

    /** The stored splash configuration, or null when the launcher gave none. */
    public static SplashConfig getSplashConfig() {
        return splashConfig;
    }
}
