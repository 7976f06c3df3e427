package zvt.testapp;

import com.quarn.runtime.LaunchSupport;
import com.quarn.runtime.SplashConfig;
import com.quarn.runtime.WinLauncher;
import com.zentrovia.runtime.installer.platform.win32.Common;
import java.io.IOException;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Paths;
import java.util.ArrayList;
import java.util.List;

/** Writes what it was given to the file named by zvt.test.out, one fact per line. */
public final class RecordingApp {
    public static void main(String[] args) throws IOException {
        List<String> lines = new ArrayList<>();
        for (String arg : args) {
            lines.add("arg=" + arg);
        }
        lines.add("windowed=" + System.getProperty("quarn.windowed"));
        lines.add("first=" + System.getProperty("quarn.firstArgument"));
        lines.add("moduleName=" + System.getProperty("quarn.moduleName"));
        lines.add("command=" + System.getProperty("sun.java.command"));
        lines.add("semaphore=" + System.getProperty("quarn.semaphoreName"));
        lines.add("isZentrovia=" + System.getProperty("quarn.isZentrovia"));
        lines.add("isService=" + System.getProperty("quarn.isService"));
        SplashConfig splash = WinLauncher.getSplashConfig();
        lines.add("splash=" + splash);
        lines.add("platform=" + Common.getInitCalls() + "," + Common.isNativesFromLauncher());
        lines.add("helper=" + HelperNatives.describe());
        lines.add("freshLogs=" + LaunchSupport.current().isFreshLogs());
        lines.add("loader=" + RecordingApp.class.getModule().isNamed());
        System.out.println("stdout-line");
        System.err.println("stderr-line");
        System.out.flush();
        System.err.flush();
        Files.write(Paths.get(System.getProperty("zvt.test.out")), lines, StandardCharsets.UTF_8);
    }
}
