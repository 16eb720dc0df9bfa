import java.io.IOException;
import java.io.OutputStream;
import java.nio.charset.StandardCharsets;
import java.nio.file.FileSystems;
import java.nio.file.Files;
import java.nio.file.LinkOption;
import java.nio.file.OpenOption;
import java.nio.file.Path;
import java.nio.file.Paths;
import java.nio.file.StandardOpenOption;
import java.nio.file.attribute.PosixFilePermissions;
import java.sql.Connection;
import java.sql.DatabaseMetaData;
import java.sql.DriverManager;
import java.sql.SQLException;
import java.time.LocalTime;
import java.time.format.DateTimeFormatter;
import java.util.Locale;
import java.util.Properties;

/**
 * Tests a JDBC connection for Virelo's JDBC tab and writes a step-by-step report into the log file
 * named on the command line, in the program's own log line form: time of day, " : ", message, CR
 * LF.
 *
 * <p>Arguments: driver class, URL, log file path, then the user name and the password when they
 * are not empty. The password is never written: the report says only whether one was given.
 *
 * <p>Exit codes: 0 connected; 1 the connection failed (SQLException); 2 wrong arguments (an
 * empty driver class among them, which shifts the others: the first is then the URL); 3 the
 * driver class is not on the CLASSPATH; 4 the driver class could not be loaded otherwise; 5 the
 * connection attempt took longer than the watchdog allows; 6 any other failure.
 */
public final class VireloJDBC {
    /** Seconds the driver may take to log in before it is asked to give up. */
    static final int LOGIN_TIMEOUT_SECONDS = 15;
    /** Seconds after which the test class ends itself, whatever the driver is doing. */
    static final int WATCHDOG_SECONDS = 30;

    private static final DateTimeFormatter TIME =
            DateTimeFormatter.ofPattern("h:mm:ss a", Locale.US);

    private final Path log;

    private VireloJDBC(Path log) {
        this.log = log;
    }

    public static void main(String[] args) {
        if (args.length < 3) {
            System.err.println(
                    "usage: java VireloJDBC driverClass url logFile [user [password]]");
            System.exit(2);
        }
        if (args[0].startsWith("jdbc:")) {
            // An empty driver class vanishes from the command line, so every argument moved up
            // by one: the URL came first and the log path second.
            VireloJDBC report = new VireloJDBC(Paths.get(args[1]));
            report.line("No driver class was given: enter the JDBC driver's class name (for"
                    + " example org.h2.Driver) in the Driver field");
            System.exit(2);
        }
        VireloJDBC report = new VireloJDBC(Paths.get(args[2]));
        System.exit(report.run(args));
    }

    private int run(String[] args) {
        String driver = args[0];
        String url = args[1];
        String user = args.length > 3 ? args[3] : "";
        String password = args.length > 4 ? args[4] : "";

        line("VireloJDBC received " + args.length + " arguments");
        line("Driver class: " + driver);
        line("URL: " + maskPassword(url));
        line("User: " + (user.isEmpty() ? "(none)" : user));
        line("Password: " + (password.isEmpty() ? "not given" : "given"));
        if (args.length > 5) {
            line("Warning: " + (args.length - 5) + " extra argument(s) ignored;"
                    + " a user name or password with blanks is split into several arguments");
        }

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

        startWatchdog();
        DriverManager.setLoginTimeout(LOGIN_TIMEOUT_SECONDS);
        Properties properties = new Properties();
        if (!user.isEmpty()) {
            properties.setProperty("user", user);
        }
        if (!password.isEmpty()) {
            properties.setProperty("password", password);
        }
        line("Connecting (login time-out " + LOGIN_TIMEOUT_SECONDS + " s)");
        try (Connection connection = DriverManager.getConnection(url, properties)) {
            line("Connected");
            DatabaseMetaData meta = connection.getMetaData();
            line("Database: " + meta.getDatabaseProductName() + " "
                    + meta.getDatabaseProductVersion());
            line("Driver: " + meta.getDriverName() + " " + meta.getDriverVersion());
            line("JDBC version: " + meta.getJDBCMajorVersion() + "." + meta.getJDBCMinorVersion());
            line("Connection URL: " + maskPassword(String.valueOf(meta.getURL())));
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

    /** Every SQLException of the chain, with its SQLSTATE and vendor code. */
    private void reportChain(SQLException first) {
        int depth = 0;
        for (SQLException e = first; e != null && depth < 20; e = e.getNextException(), depth++) {
            line("SQLException: SQLSTATE " + e.getSQLState() + ", vendor code " + e.getErrorCode()
                    + ": " + oneLine(e.getMessage()));
            for (Throwable cause = e.getCause(); cause != null && cause != e;
                    cause = cause.getCause()) {
                line("  caused by " + describe(cause));
                if (cause.getCause() == cause) {
                    break;
                }
            }
        }
    }

    /** Ends the program when connecting hangs, so the tool that waits for it is never stuck. */
    private void startWatchdog() {
        Thread watchdog = new Thread(() -> {
            try {
                Thread.sleep(WATCHDOG_SECONDS * 1000L);
            } catch (InterruptedException e) {
                return;
            }
            line("No answer after " + WATCHDOG_SECONDS + " seconds: giving up");
            Runtime.getRuntime().halt(5);
        }, "VireloJDBC watchdog");
        watchdog.setDaemon(true);
        watchdog.start();
    }

    /** Hides a password written into the URL itself (password=... up to ; or &). */
    static String maskPassword(String url) {
        return url.replaceAll("(?i)(password=)[^;&]*", "$1****");
    }

    private static String describe(Throwable e) {
        return e.getClass().getName() + ": " + oneLine(String.valueOf(e.getMessage()));
    }

    private static String oneLine(String text) {
        return text == null ? "" : text.strip().replaceAll("\\s*\\R\\s*", " ");
    }

    /** Appends one report line; the file is open only while the line is written. */
    private synchronized void line(String message) {
        String text = LocalTime.now().format(TIME) + " : " + message + "\r\n";
        try (OutputStream out = open()) {
            out.write(text.getBytes(StandardCharsets.UTF_8));
        } catch (IOException e) {
            System.err.println("VireloJDBC cannot write " + log + ": " + e.getMessage());
            System.err.print(text);
        }
    }

    private OutputStream open() throws IOException {
        OpenOption[] options = {StandardOpenOption.CREATE, StandardOpenOption.APPEND,
            StandardOpenOption.WRITE, LinkOption.NOFOLLOW_LINKS};
        if (!Files.exists(log, LinkOption.NOFOLLOW_LINKS)
                && FileSystems.getDefault().supportedFileAttributeViews().contains("posix")) {
            // A new log is readable by its user only.
            try {
                Files.createFile(log, PosixFilePermissions.asFileAttribute(
                        PosixFilePermissions.fromString("rw-------")));
            } catch (java.nio.file.FileAlreadyExistsException raced) {
                // Another writer created it first; appending below is still right.
            }
        }
        return Files.newOutputStream(log, options);
    }
}
