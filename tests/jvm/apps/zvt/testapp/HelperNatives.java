package zvt.testapp;

/** A native method that only a helper library's registerNatives can link. */
public final class HelperNatives {
    private HelperNatives() {}

    static native String fromHelper();

    static String describe() {
        try {
            return fromHelper();
        } catch (UnsatisfiedLinkError e) {
            return "unlinked";
        }
    }
}
