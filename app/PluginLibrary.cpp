#include "app/PluginLibrary.h"

#include <cstring>
#include <system_error>
#include <vector>

#include "host/PathText.h"

namespace app {
namespace {

std::string Join(const std::vector<std::string>& parts) {
    std::string text;
    for (const std::string& part : parts) text += (text.empty() ? "" : "; ") + part;
    return text;
}

} // namespace

std::string RecordProblems(const BakkesMod::Plugin::PluginInfo& record) {
    std::vector<std::string> problems;
    if (record.apiBuildVersion != BakkesMod::Plugin::kApiBuildVersion)
        problems.emplace_back("its API build version is " + std::to_string(record.apiBuildVersion) + ", not " +
                              std::to_string(BakkesMod::Plugin::kApiBuildVersion));
    if (record.pluginType == 0) problems.emplace_back("its plug-in type is 0");
    if (!record.className || !*record.className) problems.emplace_back("it names no plug-in class");
    if (!record.initializeFunc) problems.emplace_back("it has no function that creates the plug-in");
    if (!record.deleteFunc) problems.emplace_back("it has no function that releases the plug-in");
    return Join(problems);
}

std::optional<PluginLibrary> PluginLibrary::Open(const std::filesystem::path& file, std::string& error) {
    std::error_code ignored;
    if (!std::filesystem::exists(file, ignored)) {
        error = "cannot load the plug-in library " + PathToUtf8(file) + ": no such file";
        return std::nullopt;
    }
    if (std::filesystem::is_directory(file, ignored)) {
        error = "cannot load the plug-in library " + PathToUtf8(file) + ": it is a folder";
        return std::nullopt;
    }
    return Load(file, error);
}

std::string PluginLibrary::NotAPlugin(const std::filesystem::path& file, const std::string& why) {
    return PathToUtf8(file) + " is not a plug-in library: " + why;
}

std::optional<PluginLibrary> PluginLibrary::FromRecord(const std::filesystem::path& file, const void* symbol,
                                                       std::string& error) {
    BakkesMod::Plugin::PluginInfo record;
    std::memcpy(&record, symbol, sizeof record);
    if (const std::string problems = RecordProblems(record); !problems.empty()) {
        error = NotAPlugin(file, "its information record is wrong: " + problems);
        return std::nullopt;
    }
    return PluginLibrary(record);
}

} // namespace app
