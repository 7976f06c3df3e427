package zvt.testapp;

import java.io.IOException;
import java.nio.file.Files;
import java.nio.file.Paths;

/** A service body: runs until stopped; its shutdown hook leaves a marker file. */
public final class BlockingApp {
    public static void main(String[] args) throws Exception {
        final String marker = System.getProperty("zvt.test.marker");
        Runtime.getRuntime().addShutdownHook(new Thread(() -> {
            try {
                Files.write(Paths.get(marker), "hook".getBytes());
            } catch (IOException e) {
                throw new RuntimeException(e);
            }
        }));
        System.out.println("blocking");
        System.out.flush();
        Thread.sleep(Long.MAX_VALUE);
    }
}
