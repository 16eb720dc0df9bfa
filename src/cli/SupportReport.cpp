#include "cli/SupportReport.h"

#include <sstream>

#include "cli/Report.h"
#include "report/Report.h"
#include "report/ReportText.h"

namespace virelo::cli {
namespace {

std::string Masked(const std::string& text) {
    return report::MaskEveryPassword(text, {});
}

// A count, or null where the file does not hold that kind of entry.
nlohmann::json Count(int count) {
    return count < 0 ? nlohmann::json() : nlohmann::json(count);
}

}  // namespace

nlohmann::json EnvironmentJson(const report::Header& header) {
    nlohmann::json drivers = nlohmann::json::array();
    for (const report::DriverFacts& driver : header.odbc.drivers) {
        drivers.push_back({{"name", Masked(driver.name)},
                           {"library", Masked(driver.library)},
                           {"path", Masked(driver.path)},
                           {"version", driver.version}});
    }
    nlohmann::json registry = nlohmann::json::array();
    for (const platform::RegistrySource& source : header.registry) {
        nlohmann::json warnings = nlohmann::json::array();
        for (const std::string& warning : source.warnings) {
            warnings.push_back(Masked(warning));
        }
        registry.push_back({{"role", source.role},
                            {"path", Masked(source.path)},
                            {"state", Masked(source.state)},
                            {"servers", Count(source.servers)},
                            {"data_sources", Count(source.dataSources)},
                            {"warnings", warnings}});
    }
    nlohmann::json variables = nlohmann::json::object();
    for (const auto& [name, value] : header.variables) {
        variables[name] = Masked(value);
    }
    nlohmann::json java;
    if (header.java) {
        java = nlohmann::json::array();
        for (const std::string& line : *header.java) {
            java.push_back(Masked(line));
        }
    }
    return {{"created", header.created},
            {"program", header.program},
            {"host_name", header.hostName},
            {"qualified_name", header.qualifiedName},
            {"operating_system", header.operatingSystem},
            {"kernel_release", header.kernelRelease},
            {"odbc",
             {{"driver_manager", header.odbc.name},
              {"library", header.odbc.library},
              {"version", header.odbc.version},
              {"failure", Masked(header.odbc.failure)},
              {"drivers", drivers}}},
            {"java", java},
            {"registry", registry},
            {"variables", variables}};
}

std::string HeaderOutput(const Request& request, const report::Header& header) {
    if (!request.json) {
        return Masked(report::FormatHeader(header));
    }
    std::ostringstream out;
    const nlohmann::json environment = EnvironmentJson(header);
    PrintJson(out, request, {}, &environment);
    return out.str();
}

std::string RunReport(const Request& request, const report::Header& header,
                      const std::vector<CheckResult>& results, const std::string& password) {
    std::ostringstream out;
    if (request.json) {
        // The results are masked already, and masking a JSON text could cut into its quoting.
        const nlohmann::json environment = EnvironmentJson(header);
        PrintJson(out, request, results, &environment);
        return out.str();
    }
    std::string run = "virelo-check " + request.command;
    for (const std::string& operand : request.operands) {
        run += " " + operand;
    }
    out << report::FormatHeader(header) << "\n\n" << report::Title(run, '=');
    for (const CheckResult& result : results) {
        PrintText(out, result, false);
    }
    return report::MaskEveryPassword(report::PlainText(out.str()), {password});
}

bool WriteReportFile(platform::Files& files, const std::string& path, const std::string& text,
                     std::ostream& err) {
    const platform::FileStatus status = report::FillReport(files, path, text);
    if (!status.ok()) {
        err << "virelo-check: the report could not be written: " << status.reason << '\n';
    }
    return status.ok();
}

}  // namespace virelo::cli
