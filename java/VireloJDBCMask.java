import java.util.ArrayList;
import java.util.List;
import java.util.regex.Matcher;
import java.util.regex.Pattern;

/**
 * Hides passwords in the report lines of {@link VireloJDBC}: every form in which a URL or a
 * driver's message can carry one, and the password that the test class received itself wherever
 * it turns up.
 */
final class VireloJDBCMask {
    static final String HIDDEN = "****";

    /** Shorter values are too common in ordinary text to be hidden wherever they appear. */
    private static final int SHORTEST_HIDDEN_VALUE = 3;

    /** A name of the next name=value pair, which ends an unquoted value before it. */
    private static final String NEXT_PAIR = "[;&]\\s*[A-Za-z0-9_.\\-]+\\s*=";

    /**
     * name=value where the name ends in password, passwd or pwd (any case, blanks around "="
     * allowed): a value in braces or quotes ends with them, any other value at the next pair or
     * at the end of the text, so that a value holding ";" is hidden whole.
     */
    private static final Pattern PAIR = Pattern.compile(
            "(?i)([A-Za-z0-9_.\\-]*(?:password|passwd|pwd)\\s*=\\s*)"
            + "(\\{[^}]*\\}?|'[^']*'?|\"[^\"]*\"?|(?:(?!" + NEXT_PAIR + ").)*)");

    /** user:password@host after "//". */
    private static final Pattern USER_INFO = Pattern.compile("(//[^/\\s:@]*:)[^@\\s]*(@)");

    /** user/password@ in the URLs of Oracle's drivers (jdbc:oracle:thin:scott/tiger@host). */
    private static final Pattern SLASH_FORM =
            Pattern.compile("(?i)(jdbc:oracle:[a-z0-9]+:[^/@\\s:]*/)[^@\\s]*(@)");

    private final List<String> secrets = new ArrayList<>();

    /** A value that must never appear in the report, such as the password argument. */
    void addSecret(String value) {
        if (value.length() >= SHORTEST_HIDDEN_VALUE) {
            secrets.add(value);
            // Longer ones first, so a part never leaves the rest of a longer one visible.
            secrets.sort((a, b) -> b.length() - a.length());
        }
    }

    String apply(String text) {
        String masked = replace(PAIR, text, "$1" + HIDDEN);
        masked = replace(USER_INFO, masked, "$1" + HIDDEN + "$2");
        masked = replace(SLASH_FORM, masked, "$1" + HIDDEN + "$2");
        for (String secret : secrets) {
            masked = masked.replace(secret, HIDDEN);
        }
        return masked;
    }

    private static String replace(Pattern pattern, String text, String replacement) {
        Matcher matcher = pattern.matcher(text);
        return matcher.replaceAll(replacement);
    }
}
