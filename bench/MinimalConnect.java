import java.sql.Connection;
import java.sql.DriverManager;

/** The least a JVM does to connect through JDBC: load the driver, connect, read the metadata. */
public final class MinimalConnect {
    public static void main(String[] args) throws Exception {
        Class.forName(args[0]);
        try (Connection connection = DriverManager.getConnection(args[1], args[2], args[3])) {
            connection.getMetaData().getDatabaseProductVersion();
        }
    }
}
