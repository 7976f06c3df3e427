package com.zentrovia.runtime.installer.platform.win32;

/**
 * The platform class. The launcher calls initFromLauncher(true) once its
 * native helper library is found, and initFromLauncher(false) again when the
 * helper failed to register its natives: only then may they be used.
 */
public final class Common {
    private static volatile boolean nativesFromLauncher;
    private static volatile int initCalls;

    private Common() {}

    public static void initFromLauncher(boolean available) {
        nativesFromLauncher = available;
        initCalls++;
    }

    public static boolean isNativesFromLauncher() { return nativesFromLauncher; }
    public static int getInitCalls() { return initCalls; }
}
