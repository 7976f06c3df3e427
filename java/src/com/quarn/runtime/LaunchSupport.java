package com.quarn.runtime;

import java.lang.reflect.InvocationTargetException;
import java.lang.reflect.Method;
import java.lang.reflect.Modifier;
import java.util.List;

/**
 * What both launcher classes do: read the launcher's parameters, publish
 * them, redirect the logs, watch standard input in a service, and run the
 * application's main class.
 */
public final class LaunchSupport {
    private static volatile LaunchParameters current;

    private LaunchSupport() {}

    /** The parameters of the running launch, or null before main. */
    public static LaunchParameters current() {
        return current;
    }

    public static void launch(String[] args) throws Throwable {
        LaunchParameters p = LaunchParameters.parse(args);
        current = p;
        publish(p);
        LogRedirection.apply(p);
        if ("true".equals(System.getProperty("quarn.isService"))) {
            ServiceStopWatcher.start(System.in);
        }
        Class<?> mainClass = loadMainClass(p.getMainClass());
        Method main = mainClass.getMethod("main", String[].class);
        if (!Modifier.isStatic(main.getModifiers())) {
            throw new NoSuchMethodException(mainClass.getName() + ".main is not static");
        }
        main.setAccessible(true);
        List<String> appArgs = p.getApplicationArguments();
        try {
            main.invoke(null, (Object) appArgs.toArray(new String[0]));
        } catch (InvocationTargetException e) {
            // The application's own exception escapes main, not the wrapper.
            throw e.getCause();
        }
    }

    private static void publish(LaunchParameters p) {
        System.setProperty("quarn.windowed", String.valueOf(p.isWindowed()));
        if (p.getFirstArgument() != null) {
            System.setProperty("quarn.firstArgument", p.getFirstArgument());
        }
    }

    /** "pkg.Main" from the class path; "/module/pkg.Main" from that module of the boot layer. */
    static Class<?> loadMainClass(String name) throws Exception {
        ClassLoader loader = Thread.currentThread().getContextClassLoader();
        if (loader == null) {
            loader = ClassLoader.getSystemClassLoader();
        }
        if (!name.startsWith("/")) {
            return Class.forName(name, false, loader);
        }
        int slash = name.indexOf('/', 1);
        if (slash < 0) {
            throw new ClassNotFoundException("module main class needs /module/class: " + name);
        }
        return loadFromModule(name.substring(1, slash), name.substring(slash + 1));
    }

    // The runtime classes compile for Java 8, where ModuleLayer does not
    // exist; module mode only occurs on 9 and later, so reflection suffices.
    private static Class<?> loadFromModule(String module, String className) throws Exception {
        Class<?> layerClass = Class.forName("java.lang.ModuleLayer");
        Object boot = layerClass.getMethod("boot").invoke(null);
        Object found = layerClass.getMethod("findModule", String.class).invoke(boot, module);
        java.util.Optional<?> optional = (java.util.Optional<?>) found;
        if (!optional.isPresent()) {
            throw new ClassNotFoundException("module " + module + " is not in the boot layer");
        }
        Class<?> moduleClass = Class.forName("java.lang.Module");
        Method forName = Class.class.getMethod("forName", moduleClass, String.class);
        Class<?> cls = (Class<?>) forName.invoke(null, optional.get(), className);
        if (cls == null) {
            throw new ClassNotFoundException(className + " in module " + module);
        }
        return cls;
    }
}
