package com.zentrovia.runtime.launcher;

import com.quarn.runtime.LaunchSupport;

/** The zentrovia flavour's launcher class; it behaves exactly as the quarn one. */
public final class WinLauncher {
    private WinLauncher() {}

    public static void main(String[] args) throws Throwable {
        LaunchSupport.launch(args);
    }
}
