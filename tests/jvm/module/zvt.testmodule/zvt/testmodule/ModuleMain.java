package zvt.testmodule;

import java.nio.file.Files;
import java.nio.file.Paths;

/** Proves it was loaded from its named module, with its arguments. */
public final class ModuleMain {
    public static void main(String[] args) throws Exception {
        String text = "module=" + ModuleMain.class.getModule().getName() + "\nargs=" + String.join(",", args) + "\n";
        Files.write(Paths.get(System.getProperty("zvt.test.out")), text.getBytes());
    }
}
