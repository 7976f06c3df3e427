package zvt.testapp;

import java.io.IOException;
import java.nio.file.Files;
import java.nio.file.Paths;

/** Ends the whole process with the code it is given, after its shutdown hook ran. */
public final class ExitingApp {
    public static void main(String[] args) {
        final String marker = System.getProperty("zvt.test.marker");
        Runtime.getRuntime().addShutdownHook(new Thread(() -> {
            try {
                Files.write(Paths.get(marker), "hook".getBytes());
            } catch (IOException e) {
                throw new RuntimeException(e);
            }
        }));
        System.exit(Integer.parseInt(args[0]));
    }
}
