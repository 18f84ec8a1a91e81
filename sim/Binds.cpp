// Key binds belong to the player, so the host keeps them across runs, as the game does:
// in HOME/cfg/binds.cfg, one `bind "KEY" "COMMAND"` line each, rewritten (through a
// temporary file and a rename) whenever a bind changes, read back when the host starts.
#include <fstream>
#include <system_error>

#include "host/PathText.h"
#include "sim/HostImpl.h"

namespace sim {

namespace {

std::filesystem::path BindsFile(const HostOptions& options) { return options.home / "cfg" / "binds.cfg"; }

// A key or command with a double quote or a line break would not read back as written.
bool Storable(const std::string& text) { return text.find_first_of("\"\r\n") == std::string::npos; }

} // namespace

void Host::Impl::SaveBinds() {
    MutexLock oneWriter(bindsFileMutex);
    std::map<std::string, std::string> current;
    {
        MutexLock lock(mutex);
        current = binds;
    }
    std::string contents;
    for (const auto& [key, command] : current) {
        if (!Storable(key) || !Storable(command)) continue;
        contents.append("bind \"").append(key).append("\" \"").append(command).append("\"\n");
    }
    const std::filesystem::path file = BindsFile(options);
    std::filesystem::path temporary = file;
    temporary += ".tmp";
    std::error_code error;
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << contents;
        out.close();
        if (!out) {
            std::filesystem::remove(temporary, error);
            return Print("Key binds not saved: cannot write " + PathToUtf8(temporary));
        }
    }
    std::filesystem::rename(temporary, file, error);
    if (error) {
        std::filesystem::remove(temporary, error);
        Print("Key binds not saved: " + PathToUtf8(file) + ": " + error.message());
    }
}

void Host::Impl::LoadBinds() {
    const auto lines = ReadLines(BindsFile(options));
    if (!lines) return; // no binds yet
    MutexLock lock(mutex);
    for (const std::string& line : *lines) {
        for (const Command& command : ParseConsoleLine(line)) {
            // Only binds: the file never runs anything else, whatever it holds.
            if (command.words.size() != 3 || command.words[0] != "bind" || command.words[1].empty()) continue;
            binds[command.words[1]] = command.words[2];
        }
    }
}

} // namespace sim
