package zvt.testapp;

import java.nio.file.Files;
import java.nio.file.Paths;

/** Returns from main at once but leaves a non-daemon thread that ends later. */
public final class NonDaemonApp {
    public static void main(String[] args) {
        final String marker = System.getProperty("zvt.test.marker");
        final long ms = Long.parseLong(args[0]);
        Thread worker = new Thread(() -> {
            try {
                Thread.sleep(ms);
                Files.write(Paths.get(marker), "done".getBytes());
            } catch (Exception e) {
                throw new RuntimeException(e);
            }
        }, "worker");
        worker.setDaemon(false);
        worker.start();
    }
}
