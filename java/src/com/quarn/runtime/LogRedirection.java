package com.quarn.runtime;

import java.io.FileOutputStream;
import java.io.IOException;
import java.io.PrintStream;

/**
 * Points System.err and System.out at the configured log files.
 *
 * <p>An empty name leaves the stream alone. A name that still begins with "$"
 * is a variable the launcher could not expand; it is not a usable file name,
 * so the stream is left alone too rather than writing a file called "$...".
 * The property zentrovia.noRedir=true turns redirection off altogether (the
 * launcher sets it when its own output is already redirected).
 */
final class LogRedirection {
    private LogRedirection() {}

    static boolean isFileName(String name) {
        return name != null && name.length() > 0 && !name.startsWith("$");
    }

    static void apply(LaunchParameters p) throws IOException {
        if ("true".equals(System.getProperty("zentrovia.noRedir"))) {
            return;
        }
        boolean append = !p.isFreshLogs();
        if (isFileName(p.getErrorLog())) {
            System.setErr(open(p.getErrorLog(), append));
        }
        if (isFileName(p.getOutputLog())) {
            if (p.getOutputLog().equals(p.getErrorLog())) {
                // One file for both: share the stream so lines do not overwrite each other.
                System.setOut(System.err);
            } else {
                System.setOut(open(p.getOutputLog(), append));
            }
        }
    }

    private static PrintStream open(String name, boolean append) throws IOException {
        return new PrintStream(new FileOutputStream(name, append), true);
    }
}
