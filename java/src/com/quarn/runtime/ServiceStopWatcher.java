package com.quarn.runtime;

import java.io.BufferedReader;
import java.io.IOException;
import java.io.InputStream;
import java.io.InputStreamReader;

/**
 * In the service child, standard input is the service host's stop channel: it
 * writes the line "0" and closes the pipe when the service is to stop. The
 * watcher is a daemon thread, so it never keeps the application alive by
 * itself; on the line or the end of input it exits the VM with 0, which runs
 * the application's shutdown hooks.
 */
final class ServiceStopWatcher implements Runnable {
    private final InputStream in;

    private ServiceStopWatcher(InputStream in) {
        this.in = in;
    }

    static Thread start(InputStream in) {
        Thread thread = new Thread(new ServiceStopWatcher(in), "service-stop-watcher");
        thread.setDaemon(true);
        thread.start();
        return thread;
    }

    static boolean isStopLine(String line) {
        return line == null || line.trim().equals("0");
    }

    public void run() {
        BufferedReader reader = new BufferedReader(new InputStreamReader(in));
        String line;
        try {
            do {
                line = reader.readLine();
            } while (!isStopLine(line));
        } catch (IOException e) {
            // A broken pipe means the host is gone: stop as for end of input.
        }
        System.exit(0);
    }
}
