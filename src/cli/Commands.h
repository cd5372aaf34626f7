#pragma once
// The subcommands of mivora-cli; each returns the process exit status.
#include <string>
#include <vector>

namespace mivora::cli {

int RunDecode(const std::vector<std::string>& args);
int RunDump(const std::vector<std::string>& args);
int RunRecord(int argc, char** argv, const std::vector<std::string>& args);
int RunSimulate(const std::vector<std::string>& args);
int RunRecover(const std::vector<std::string>& args);

// "mivora-cli CMD: message" and a hint to --help on stderr; returns kExitUsage.
int UsageError(const std::string& command, const std::string& message);
// "mivora-cli CMD: message" on stderr; returns kExitBadInput.
int InputError(const std::string& command, const std::string& message);

}  // namespace mivora::cli
