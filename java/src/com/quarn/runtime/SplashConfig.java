package com.quarn.runtime;

/** The values of WinLauncher.initAwtSplashConfig, as given. */
public final class SplashConfig {
    private final boolean enabled;
    private final boolean flag;
    private final String[] texts;
    private final int[] numbers;

    SplashConfig(boolean enabled, boolean flag, String[] texts, int[] numbers) {
        this.enabled = enabled;
        this.flag = flag;
        this.texts = texts.clone();
        this.numbers = numbers.clone();
    }

    public boolean isEnabled() { return enabled; }
    public boolean getFlag() { return flag; }
    /** Text of group 0..3. */
    public String getText(int group) { return texts[group]; }
    /** First (0) or second (1) number of group 0..3. */
    public int getNumber(int group, int which) { return numbers[group * 2 + which]; }

    @Override
    public String toString() {
        StringBuilder b = new StringBuilder();
        b.append(enabled).append(',').append(flag);
        for (int g = 0; g < 4; g++) {
            b.append('|').append(texts[g]).append(',').append(numbers[g * 2]).append(',')
                    .append(numbers[g * 2 + 1]);
        }
        return b.toString();
    }
}
