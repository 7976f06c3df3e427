package com.quarn.runtime;

import java.util.ArrayList;
import java.util.Collections;
import java.util.List;

/**
 * The parameters the native launcher hands to a launcher class's main: five
 * launcher parameters, the first program argument, then the application's
 * arguments.
 */
public final class LaunchParameters {
    public static final int LAUNCHER_PARAMETER_COUNT = 5;

    private final boolean windowed;
    private final String mainClass;
    private final String errorLog;
    private final String outputLog;
    private final boolean freshLogs;
    private final String firstArgument;
    private final List<String> applicationArguments;

    private LaunchParameters(String[] args) {
        windowed = Boolean.parseBoolean(args[0]);
        mainClass = args[1];
        errorLog = args[2];
        outputLog = args[3];
        freshLogs = Boolean.parseBoolean(args[4]);
        firstArgument = args.length > LAUNCHER_PARAMETER_COUNT ? args[LAUNCHER_PARAMETER_COUNT] : null;
        List<String> rest = new ArrayList<String>();
        for (int i = LAUNCHER_PARAMETER_COUNT + 1; i < args.length; i++) {
            rest.add(args[i]);
        }
        applicationArguments = Collections.unmodifiableList(rest);
    }

    public static LaunchParameters parse(String[] args) {
        if (args == null || args.length < LAUNCHER_PARAMETER_COUNT) {
            throw new IllegalArgumentException("the launcher passes at least "
                    + LAUNCHER_PARAMETER_COUNT + " parameters, got "
                    + (args == null ? 0 : args.length));
        }
        return new LaunchParameters(args);
    }

    public boolean isWindowed() { return windowed; }
    /** "pkg.Main", or "/module/pkg.Main" in module mode. */
    public String getMainClass() { return mainClass; }
    public String getErrorLog() { return errorLog; }
    public String getOutputLog() { return outputLog; }
    /** The fifth launcher parameter: start the log files afresh instead of appending. */
    public boolean isFreshLogs() { return freshLogs; }
    /** The service name (service child) or program path; null when absent. */
    public String getFirstArgument() { return firstArgument; }
    public List<String> getApplicationArguments() { return applicationArguments; }
}
