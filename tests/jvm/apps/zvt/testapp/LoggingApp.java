package zvt.testapp;

/**
 * Writes numbered lines to standard output and standard error: args[0]
 * lines, each padded to args[1] bytes with its line feed.
 */
public final class LoggingApp {
    public static void main(String[] args) {
        int count = Integer.parseInt(args[0]);
        int width = Integer.parseInt(args[1]);
        for (int i = 0; i < count; i++) {
            StringBuilder line = new StringBuilder("line " + i + " ");
            while (line.length() < width - 1) line.append('.');
            System.out.println("out " + line.substring(4));
            System.err.println("err " + line.substring(4));
        }
    }
}
