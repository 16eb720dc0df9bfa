import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Paths;
import java.util.List;

/** Runs the shared table of mask cases (the file named by the only argument) on the Java mask. */
public final class MaskCases {
    public static void main(String[] args) throws Exception {
        List<String> lines = Files.readAllLines(Paths.get(args[0]), StandardCharsets.UTF_8);
        int cases = 0, failures = 0;
        for (int number = 1; number <= lines.size(); number++) {
            String[] field = lines.get(number - 1).replace("\\n", "\n").replace("\\r", "\r")
                    .split("\t", -1);
            if (field.length > 1) {
                cases++;
                if (field.length != 3 || !VireloJDBCMask.hide(field[1], field[0]).equals(field[2])) {
                    System.out.println("line " + number + " fails");
                    failures++;
                }
            }
        }
        System.out.println(cases + " cases, " + failures + " failed");
        System.exit(failures == 0 && cases >= 40 ? 0 : 1);
    }
}
