import java.io.IOException;
import java.io.OutputStream;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.InvalidPathException;
import java.nio.file.LinkOption;
import java.nio.file.Path;
import java.nio.file.Paths;
import java.nio.file.StandardOpenOption;
import java.nio.file.attribute.BasicFileAttributes;
import java.time.LocalTime;
import java.time.format.DateTimeFormatter;
import java.util.Locale;
import java.util.Map;

/**
 * The report file of {@link VireloJDBC}: the log file that Virelo reserved for this run, and no
 * other. Virelo names it and its identity (device and inode) in the environment; the file is
 * checked before every line, so a link, a FIFO, a device or a file put in its place is refused at
 * once and never written, and no other file is ever created. Every line is written in Virelo's
 * log line form (time of day, " : ", message, CR LF), on one line, with passwords hidden.
 */
final class VireloJDBCLog {
    static final String PATH_VARIABLE = "VIRELO_LOG_FILE";
    static final String IDENTITY_VARIABLE = "VIRELO_LOG_IDENTITY";

    private static final DateTimeFormatter TIME =
            DateTimeFormatter.ofPattern("h:mm:ss a", Locale.US);

    private final String name;
    private final Path path;
    private final String identity;
    private final String password;
    private boolean failed;

    private VireloJDBCLog(String name, String identity, String password) {
        this.name = name;
        this.path = Paths.get(name);
        this.identity = identity;
        this.password = password;
    }

    /**
     * The run's log file as the environment names it, or null (with the reason on standard
     * error, which names no argument and no path) when it is missing or is not the reserved file.
     */
    static VireloJDBCLog open(Map<String, String> environment, String password) {
        String name = environment.get(PATH_VARIABLE);
        String identity = environment.get(IDENTITY_VARIABLE);
        if (name == null || name.isEmpty() || identity == null || identity.isEmpty()) {
            complain("nothing written: it was started without the log file that Virelo's JDBC"
                    + " tab reserves for each run; it runs only from that tab");
            return null;
        }
        VireloJDBCLog log;
        try {
            log = new VireloJDBCLog(name, identity, password);
        } catch (InvalidPathException e) {
            complain("nothing written: the log file's name is not a valid path");
            return null;
        }
        String problem = log.check();
        if (problem != null) {
            complain("nothing written: the log file " + problem);
            return null;
        }
        return log;
    }

    /** The path exactly as Virelo gave it, to find it among the arguments. */
    String name() {
        return name;
    }

    /** Appends one report line; the file is open only while the line is written. */
    synchronized void line(String message) {
        String text = VireloJDBCMask.hide(message, password).replaceAll("[\\r\\n]+", " ");
        String problem = check();
        if (problem == null) {
            try (OutputStream out = Files.newOutputStream(path, StandardOpenOption.WRITE,
                         StandardOpenOption.APPEND, LinkOption.NOFOLLOW_LINKS)) {
                out.write((LocalTime.now().format(TIME) + " : " + text + "\r\n")
                                  .getBytes(StandardCharsets.UTF_8));
                return;
            } catch (IOException e) {
                problem = "can no longer be written";
            }
        }
        if (!failed) {
            failed = true;
            complain("the log file " + problem + "; the report is incomplete");
        }
    }

    /** Why the file is not (or no longer) the one Virelo reserved, or null when it is. */
    private String check() {
        try {
            BasicFileAttributes attributes =
                    Files.readAttributes(path, BasicFileAttributes.class, LinkOption.NOFOLLOW_LINKS);
            if (!attributes.isRegularFile()) {
                return "is not a regular file (a link, a FIFO, a directory or a device)";
            }
            Map<String, Object> unix =
                    Files.readAttributes(path, "unix:dev,ino", LinkOption.NOFOLLOW_LINKS);
            if (!identity.equals(unix.get("dev") + ":" + unix.get("ino"))) {
                return "is not the file Virelo reserved for this run";
            }
            return null;
        } catch (IOException | UnsupportedOperationException e) {
            return "cannot be checked (" + e.getClass().getSimpleName() + ")";
        }
    }

    private static void complain(String text) {
        System.err.println("VireloJDBC: " + text + ".");
    }
}
