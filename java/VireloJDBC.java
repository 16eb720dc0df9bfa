import java.sql.Connection;
import java.sql.DatabaseMetaData;
import java.sql.DriverManager;
import java.sql.SQLException;
import java.util.Arrays;
import java.util.Properties;

/**
 * Tests a JDBC connection for Virelo's JDBC tab and writes a step-by-step report into the log
 * file that Virelo reserved for the run (see {@link VireloJDBCLog}).
 *
 * <p>Command line: driver class, "URL", "log file", user name, password. Empty values vanish from
 * it and values with blanks split, so the class finds its log file among the arguments (Virelo
 * names it in the environment) and takes the driver class and URL from before it, the user name
 * and password from after it. Virelo also says how many arguments hold no character of the
 * password (VIRELO_JDBC_PLAIN_ARGS); every later argument may hold some and is never written: the
 * report says only whether a password was given. Nothing is ever printed with an argument in it.
 *
 * <p>Exit codes: 0 connected; 1 the connection failed (SQLException); 2 wrong arguments or no
 * usable log file; 3 the driver class is not on the CLASSPATH; 4 the driver class could not be
 * loaded otherwise; 5 the watchdog ended a connection attempt that took too long; 6 any other
 * failure.
 */
public final class VireloJDBC {
    static final String PLAIN_ARGUMENTS_VARIABLE = "VIRELO_JDBC_PLAIN_ARGS";
    /**
     * The password, when a caller hands it over in the environment (which other users cannot
     * read) instead of on the command line (which they can); the arguments then hold none.
     */
    static final String PASSWORD_VARIABLE = "VIRELO_JDBC_PASSWORD";
    /** Seconds for the watchdog when a caller wants it shorter than the usual 30 (1 to 30). */
    static final String WATCHDOG_VARIABLE = "VIRELO_JDBC_WATCHDOG";
    /** Seconds after which the test class ends itself, whatever the driver is doing. */
    static final int WATCHDOG_SECONDS = watchdogSeconds();
    /** Asked of drivers that honour it, so that they give up with a message before the watchdog. */
    static final int LOGIN_TIMEOUT_SECONDS = Math.max(1, WATCHDOG_SECONDS - 5);

    private static final String environmentPassword = System.getenv(PASSWORD_VARIABLE);

    private static volatile VireloJDBCLog report;

    private final VireloJDBCLog log;

    private VireloJDBC(VireloJDBCLog log) {
        this.log = log;
    }

    public static void main(String[] args) {
        // First of all, so that nothing (not even a log file that blocks) keeps Virelo waiting.
        startWatchdog();
        int plain = plainArguments(args.length);
        // Before any driver is loaded, so that what drivers print is masked too.
        String password = passwordOf(args, plain);
        VireloJDBCMask.maskConsole(password);
        report = VireloJDBCLog.open(System.getenv(), password);
        if (report == null) {
            System.exit(2);
        }
        int code;
        try {
            code = new VireloJDBC(report).run(args, plain);
        } catch (Throwable e) {
            report.line("Unexpected failure: " + describe(e));
            code = 6;
        }
        System.exit(code);
    }

    private int run(String[] args, int plain) {
        line("VireloJDBC received " + args.length + " arguments");
        // The log file's path is the last argument that Virelo quoted; what comes before it is
        // the driver class and the URL, what comes after it the user name and the password.
        int at = -1;
        for (int i = 0; i < plain; i++) {
            if (args[i].equals(log.name())) {
                at = i;
                break;
            }
        }
        if (at < 1) {
            line("The log file's path did not reach VireloJDBC as one argument: a double quote in"
                    + " the driver class, the URL or the TEMP directory breaks the command line."
                    + " Nothing was tried");
            return 2;
        }
        if (at == 1) {
            line("No driver class was given: enter the JDBC driver's class name (for example"
                    + " org.h2.Driver) in the Driver field");
            return 2;
        }
        if (at > 2) {
            line("The driver class and the URL reached VireloJDBC as " + at + " arguments instead"
                    + " of two: a blank in the driver class, or a double quote in the URL, breaks"
                    + " the command line. Nothing was tried");
            return 2;
        }
        String[] user = Arrays.copyOfRange(args, 3, Math.max(3, plain));
        return connect(args[0], args[1], String.join(" ", user), passwordOf(args, plain),
                user.length, args.length - Math.max(3, plain));
    }

    /** The password arguments joined again, else the one in the environment, else "". */
    private static String passwordOf(String[] args, int plain) {
        int first = Math.min(Math.max(3, plain), args.length);
        String secret = String.join(" ", Arrays.copyOfRange(args, first, args.length));
        return secret.isEmpty() && environmentPassword != null ? environmentPassword : secret;
    }

    private int connect(String driver, String url, String user, String password, int userParts,
            int passwordParts) {
        line("Driver class: " + driver);
        line("URL: " + url.replace("\r", "\\r").replace("\n", "\\n"));
        line("User: " + (user.isEmpty() ? "(none)" : user) + splitNote(userParts));
        // Worded without "Password:", which would read as a keyword and its (masked) value.
        line((password.isEmpty() ? "No password given" : "Password given")
                + splitNote(passwordParts));
        try {
            Class.forName(driver);
            line("Driver class loaded: " + driver);
        } catch (ClassNotFoundException e) {
            line("ClassNotFoundException: " + driver + " was not found on the CLASSPATH ("
                    + System.getProperty("java.class.path")
                    + "); put the driver's jar file on the CLASSPATH and try again");
            return 3;
        } catch (Throwable e) {
            line("The driver class " + driver + " could not be loaded: " + describe(e));
            return 4;
        }

        DriverManager.setLoginTimeout(LOGIN_TIMEOUT_SECONDS);
        Properties properties = new Properties();
        if (!user.isEmpty()) {
            properties.setProperty("user", user);
        }
        if (!password.isEmpty()) {
            properties.setProperty("password", password);
        }
        line("Connecting (VireloJDBC gives up after " + WATCHDOG_SECONDS
                + " s without an answer, whatever the driver does)");
        try (Connection connection = DriverManager.getConnection(url, properties)) {
            line("Connected");
            DatabaseMetaData meta = connection.getMetaData();
            line("Database: " + meta.getDatabaseProductName() + " "
                    + meta.getDatabaseProductVersion());
            line("Driver: " + meta.getDriverName() + " " + meta.getDriverVersion());
            line("JDBC version: " + meta.getJDBCMajorVersion() + "." + meta.getJDBCMinorVersion());
            line("Connection URL: " + meta.getURL());
            line("Connected as user: " + meta.getUserName());
        } catch (SQLException e) {
            reportChain(e);
            return 1;
        } catch (Throwable e) {
            line("Connection failed: " + describe(e));
            return 6;
        }
        line("Connection closed");
        return 0;
    }

    private static String splitNote(int parts) {
        return parts > 1 ? " (it holds blanks, so it reached VireloJDBC as " + parts
                        + " arguments, joined again with single blanks)"
                         : "";
    }

    /** Every SQLException of the chain, with its SQLSTATE and vendor code, and their causes. */
    private void reportChain(SQLException first) {
        int depth = 0;
        for (SQLException e = first; e != null && depth < 20; e = e.getNextException(), depth++) {
            line("SQLException: SQLSTATE " + e.getSQLState() + ", vendor code " + e.getErrorCode()
                    + ": " + oneLine(e.getMessage()));
            int causes = 0;
            for (Throwable cause = e.getCause(); cause != null && cause != e && causes < 20;
                    cause = cause.getCause(), causes++) {
                line("  caused by " + describe(cause));
                if (cause.getCause() == cause) {
                    break;
                }
            }
        }
    }

    /**
     * How many leading arguments hold no character of the password, as Virelo counted them;
     * none when it did not say, so that nothing that may be the password is ever written.
     */
    private static int plainArguments(int count) {
        try {
            int plain = Integer.parseInt(String.valueOf(System.getenv(PLAIN_ARGUMENTS_VARIABLE)));
            return Math.max(0, Math.min(plain, count));
        } catch (NumberFormatException e) {
            return 0;
        }
    }

    private static int watchdogSeconds() {
        try {
            int seconds = Integer.parseInt(String.valueOf(System.getenv(WATCHDOG_VARIABLE)));
            return seconds >= 1 && seconds <= 30 ? seconds : 30;
        } catch (NumberFormatException e) {
            return 30;
        }
    }

    /** Ends the program when it hangs, so the tool that waits for it is never stuck. */
    private static void startWatchdog() {
        Thread watchdog = new Thread(() -> {
            try {
                Thread.sleep(WATCHDOG_SECONDS * 1000L);
            } catch (InterruptedException e) {
                return;
            }
            VireloJDBCLog log = report;
            if (log != null) {
                // Written aside, so that a log file that blocks cannot stop the ending.
                Thread last = new Thread(() -> log.line("No answer after " + WATCHDOG_SECONDS
                        + " seconds: VireloJDBC gave up"));
                last.setDaemon(true);
                last.start();
                try {
                    last.join(2000);
                } catch (InterruptedException e) {
                    // Ending anyway.
                }
            }
            Runtime.getRuntime().halt(5);
        }, "VireloJDBC watchdog");
        watchdog.setDaemon(true);
        watchdog.start();
    }

    private void line(String message) {
        log.line(message);
    }

    private static String describe(Throwable e) {
        return e.getClass().getName() + ": " + oneLine(String.valueOf(e.getMessage()));
    }

    private static String oneLine(String text) {
        return text == null ? "" : text.strip().replaceAll("\\s*\\R\\s*", " ");
    }
}
