package com.quarn.runtime;

import java.io.File;
import java.io.FileOutputStream;
import java.io.IOException;
import java.io.OutputStream;
import java.io.PrintStream;

/**
 * Points System.err and System.out at the configured log files.
 *
 * <p>An empty name leaves the stream alone. A name that still begins with "$"
 * is a variable the launcher could not expand; it is not a usable file name,
 * so the stream is left alone too rather than writing a file called "$...".
 * The property zentrovia.noRedir=true turns redirection off altogether (the
 * launcher sets it when its own output is already redirected).
 *
 * <p>The directories of a log file are created, so "logs\error.log" works in
 * a fresh installation. A log file that still cannot be opened is reported
 * on the original standard error with its path, and that stream stays where
 * it was: the application runs on without its log rather than not at all.
 *
 * <p>The launcher passes quarn.logRotateBytes and quarn.logKeepFiles when the
 * files are to rotate by size (see RotatingLogStream).
 */
final class LogRedirection {
    static final String ROTATE_BYTES = "quarn.logRotateBytes";
    static final String KEEP_FILES = "quarn.logKeepFiles";

    private LogRedirection() {}

    static boolean isFileName(String name) {
        return name != null && name.length() > 0 && !name.startsWith("$");
    }

    static void apply(LaunchParameters p) {
        if ("true".equals(System.getProperty("zentrovia.noRedir"))) {
            return;
        }
        boolean append = !p.isFreshLogs();
        PrintStream original = System.err;
        PrintStream err = null;
        if (isFileName(p.getErrorLog())) {
            err = open(p.getErrorLog(), append, "standard error", original);
            if (err != null) System.setErr(err);
        }
        if (isFileName(p.getOutputLog())) {
            if (p.getOutputLog().equals(p.getErrorLog())) {
                // One file for both: share the stream so lines do not
                // overwrite each other (and report a failure once).
                if (err != null) System.setOut(err);
            } else {
                PrintStream out = open(p.getOutputLog(), append, "standard output", original);
                if (out != null) System.setOut(out);
            }
        }
    }

    /** The log file as an autoflushing stream, or null after reporting why it cannot be opened. */
    private static PrintStream open(String name, boolean append, String which, PrintStream report) {
        File file = new File(name).getAbsoluteFile();
        try {
            File parent = file.getParentFile();
            if (parent != null && !parent.isDirectory() && !parent.mkdirs() && !parent.isDirectory()) {
                throw new IOException("cannot create the directory " + parent);
            }
            return new PrintStream(stream(file, append), true);
        } catch (IOException | SecurityException e) {
            report.println("Cannot open the log file " + file + " for " + which + " (" + e.getMessage()
                    + "); " + which + " is not redirected.");
            report.flush();
            return null;
        }
    }

    private static OutputStream stream(File file, boolean append) throws IOException {
        long limit = longProperty(ROTATE_BYTES);
        if (limit <= 0) return new FileOutputStream(file, append);
        long keep = longProperty(KEEP_FILES);
        return new RotatingLogStream(file, append, limit, (int) Math.max(0, Math.min(keep, 1000)));
    }

    private static long longProperty(String name) {
        String value = System.getProperty(name);
        if (value == null) return 0;
        try {
            return Long.parseLong(value.trim());
        } catch (NumberFormatException e) {
            return 0;
        }
    }
}
