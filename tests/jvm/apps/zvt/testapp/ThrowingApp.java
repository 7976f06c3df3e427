package zvt.testapp;

/** Fails the way an application's main fails. */
public final class ThrowingApp {
    public static void main(String[] args) {
        throw new IllegalStateException("boom: " + String.join(" ", args));
    }
}
