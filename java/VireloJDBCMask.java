import java.io.ByteArrayOutputStream;
import java.io.OutputStream;
import java.io.PrintStream;
import java.nio.charset.StandardCharsets;

/**
 * Hides passwords in what {@link VireloJDBC} writes: its report lines, and whatever a driver
 * prints on standard output or standard error. The rule is Virelo's own (general/Mask.h), written
 * again here; both run the same table of cases, so they cannot drift apart.
 *
 * <p>By context: the value after a keyword ending in PWD, PASSWD or PASSWORD (any letter case)
 * and "=" or ":", blanks around them allowed, up to the next name=value pair or the end of the
 * line (a braced or quoted value, or the password itself, is passed over whole first); the secret
 * of user:secret@ and of :user/secret@. By value: the password as a whole token, when
 * it has at least {@link #SHORTEST_HIDDEN_BY_VALUE} characters, not all of them letters.
 */
final class VireloJDBCMask {
    static final String MASK = "########";
    static final int SHORTEST_HIDDEN_BY_VALUE = 8;

    private final String text;
    private final String password;
    private final int n;
    private final int m;
    private final boolean[] starts;
    private final boolean byValue;
    private int from;
    private int to;

    private VireloJDBCMask(String text, String password) {
        this.text = text;
        this.password = password;
        this.n = text.length();
        this.m = password.length();
        this.starts = occurrences(text, password);
        this.byValue = password.codePointCount(0, m) >= SHORTEST_HIDDEN_BY_VALUE
                && password.chars().anyMatch(c -> c < 0x80 && !Character.isLetter(c));
    }

    /** The text with every password hidden; {@code password} may be empty. */
    static String hide(String text, String password) {
        return new VireloJDBCMask(text, password == null ? "" : password).run();
    }

    /**
     * Standard output and standard error from now on, with every line hidden before it is
     * written; a line is held until it ends (or the program ends), so a password is never cut in
     * two by a flush.
     */
    static void maskConsole(String password) {
        System.setOut(masked(System.out, password));
        System.setErr(masked(System.err, password));
    }

    private static PrintStream masked(PrintStream target, String password) {
        LineMasker lines = new LineMasker(target, password);
        Runtime.getRuntime().addShutdownHook(new Thread(lines::close));
        return new PrintStream(lines, true, StandardCharsets.UTF_8);
    }

    /** Writes each line to the target masked, once it has ended. */
    private static final class LineMasker extends OutputStream {
        private final ByteArrayOutputStream line = new ByteArrayOutputStream();
        private final PrintStream target;
        private final String password;

        LineMasker(PrintStream target, String password) {
            this.target = target;
            this.password = password;
        }

        @Override
        public synchronized void write(int b) {
            line.write(b);
            if (b == '\n') {
                close();
            }
        }

        @Override
        public synchronized void close() {
            if (line.size() > 0) {
                target.print(hide(line.toString(StandardCharsets.UTF_8), password));
                target.flush();
                line.reset();
            }
        }
    }

    private String run() {
        StringBuilder out = new StringBuilder(n);
        int copied = 0;
        for (int i = 0; i < n;) {
            if (keyword(i) || userInfo(i) || slashedSecret(i) || wholePassword(i)) {
                out.append(text, copied, from).append(MASK);
                copied = i = to;
            } else {
                i++;
            }
        }
        return out.append(text, copied, n).toString();
    }

    /** Whether the password starts at each position (Knuth-Morris-Pratt). */
    private static boolean[] occurrences(String text, String password) {
        int n = text.length();
        int m = password.length();
        boolean[] starts = new boolean[n + 1];
        if (m == 0 || m > n) {
            return starts;
        }
        int[] border = new int[m + 1];
        for (int i = 1, k = 0; i < m; i++) {
            while (k > 0 && password.charAt(i) != password.charAt(k)) {
                k = border[k];
            }
            k += password.charAt(i) == password.charAt(k) ? 1 : 0;
            border[i + 1] = k;
        }
        for (int i = 0, k = 0; i < n; i++) {
            while (k > 0 && (k == m || text.charAt(i) != password.charAt(k))) {
                k = border[k];
            }
            k += text.charAt(i) == password.charAt(k) ? 1 : 0;
            if (k == m) {
                starts[i + 1 - m] = true;
            }
        }
        return starts;
    }

    private static boolean isAsciiAlnum(char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    }

    private static boolean isNameChar(char c) {
        return isAsciiAlnum(c) || c == '_' || c == '.' || c == '-';
    }

    /** A letter, a digit, or any character that is not ASCII. */
    private static boolean isWordChar(char c) {
        return isAsciiAlnum(c) || c >= 0x80;
    }

    private static boolean isBlank(char c) {
        return c == ' ' || c == '\t';
    }

    private static boolean isLineEnd(char c) {
        return c == '\r' || c == '\n';
    }

    private static boolean isSpace(char c) {
        return isBlank(c) || isLineEnd(c);
    }

    private boolean passwordAt(int at) {
        return m > 0 && at < n && starts[at];
    }

    private int pastPassword(int at) {
        return passwordAt(at) ? at + m : at;
    }

    private boolean pairAt(int at) {
        while (at < n && isBlank(text.charAt(at))) {
            at++;
        }
        if (at >= n || !isNameChar(text.charAt(at))) {
            return false;
        }
        while (at < n && (isNameChar(text.charAt(at)) || isBlank(text.charAt(at)))) {
            at++;
        }
        return at < n && text.charAt(at) == '=';
    }

    private int restOfValue(int at) {
        for (; at < n && !isLineEnd(text.charAt(at)); at++) {
            char c = text.charAt(at);
            if ((c == ';' || c == '&') && pairAt(at + 1)) {
                break;
            }
        }
        return at;
    }

    private int pastEnclosedPart(int at) {
        if (passwordAt(at) || at >= n) {
            return pastPassword(at);
        }
        char open = text.charAt(at);
        if (open != '{' && open != '"' && open != '\'') {
            return at;
        }
        char close = open == '{' ? '}' : open;
        int k = at + 1;
        for (; k < n && !isLineEnd(text.charAt(k)); k++) {
            if (text.charAt(k) == close) {
                if (k + 1 < n && text.charAt(k + 1) == close) {
                    k++;
                    continue;
                }
                return k + 1;
            }
        }
        return k;
    }

    private static boolean endsWithKeyword(String name) {
        for (String keyword : new String[] {"password", "passwd", "pwd"}) {
            if (name.regionMatches(true, name.length() - keyword.length(), keyword, 0,
                        keyword.length())) {
                return true;
            }
        }
        return false;
    }

    private boolean keyword(int i) {
        if (!isNameChar(text.charAt(i)) || (i > 0 && isNameChar(text.charAt(i - 1)))) {
            return false;
        }
        int at = i;
        while (at < n && isNameChar(text.charAt(at))) {
            at++;
        }
        if (!endsWithKeyword(text.substring(i, at))) {
            return false;
        }
        while (at < n && isBlank(text.charAt(at))) {
            at++;
        }
        if (at >= n || (text.charAt(at) != '=' && text.charAt(at) != ':')) {
            return false;
        }
        for (at++; at < n && isBlank(text.charAt(at)) && !passwordAt(at);) {
            at++;
        }
        from = at;
        to = restOfValue(pastEnclosedPart(at));
        return true;
    }

    private boolean secretBeforeAt(int at, String stops, boolean mayBeEmpty) {
        int k = pastPassword(at);
        while (k < n && text.charAt(k) != '@' && stops.indexOf(text.charAt(k)) < 0
                && !isSpace(text.charAt(k))) {
            k++;
        }
        to = k;
        return k < n && text.charAt(k) == '@' && (mayBeEmpty || k > at);
    }

    private boolean userInfo(int i) {
        if (text.charAt(i) != ':' || i == 0 || isSpace(text.charAt(i - 1))) {
            return false;
        }
        int user = i;
        while (user > 0 && "/:@?#;&".indexOf(text.charAt(user - 1)) < 0
                && !isSpace(text.charAt(user - 1))) {
            user--;
        }
        boolean inUrl = user >= 2 && text.startsWith("//", user - 2);
        from = i + 1;
        return secretBeforeAt(from, inUrl ? "/?#" : "/?#:", inUrl);
    }

    private boolean slashedSecret(int i) {
        if (text.charAt(i) != ':') {
            return false;
        }
        int at = i + 1;
        while (at < n && ":/@;".indexOf(text.charAt(at)) < 0 && !isSpace(text.charAt(at))) {
            at++;
        }
        if (at == i + 1 || at >= n || text.charAt(at) != '/') {
            return false;
        }
        from = at + 1;
        return secretBeforeAt(from, "/;", false);
    }

    private boolean wholePassword(int i) {
        if (!byValue || !passwordAt(i) || (i > 0 && isWordChar(text.charAt(i - 1)))
                || (i + m < n && isWordChar(text.charAt(i + m)))) {
            return false;
        }
        from = i;
        to = i + m;
        return true;
    }
}
