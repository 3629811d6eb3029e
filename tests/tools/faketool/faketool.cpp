// Stands in for the external video tool in the tests. It appends to the file named by
// SCRIVELLE_FAKETOOL_LOG its process id, working folder, arguments and the script it was given
// ("/s script"), then acts as SCRIVELLE_FAKETOOL_MODE says:
//   wav (default)  write a small WAV file where the script's SaveWAV or SaveAVI says
//   none           write nothing and exit 0
//   sleep          wait SCRIVELLE_FAKETOOL_MS milliseconds (default 500), then as wav
//   hang           wait ten minutes without writing anything (the test ends it)
//   fail           exit with code 3 at once
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

std::string Env(const char* name, const char* def) {
    const char* v = std::getenv(name);
    return v ? v : def;
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The path in the first SaveWAV("...") or SaveAVI("...") statement, with "\\" read as "\".
std::string OutputPath(const std::string& script) {
    for (const char* call : {"SaveWAV(\"", "SaveAVI(\""}) {
        const size_t at = script.find(call);
        if (at == std::string::npos) continue;
        std::string path;
        for (size_t i = at + std::string(call).size(); i < script.size() && script[i] != '"'; ++i) {
            if (script[i] == '\\' && i + 1 < script.size() && script[i + 1] == '\\') ++i;
            path += script[i];
        }
        return path;
    }
    return {};
}

void Put16(std::string& s, uint16_t v) {
    s += char(v & 0xFF);
    s += char(v >> 8);
}
void Put32(std::string& s, uint32_t v) {
    Put16(s, uint16_t(v & 0xFFFF));
    Put16(s, uint16_t(v >> 16));
}

// A tenth of a second of 8 kHz, 16-bit mono PCM.
void WriteWav(const std::string& path) {
    const uint32_t samples = 800, dataBytes = samples * 2;
    std::string w = "RIFF";
    Put32(w, 36 + dataBytes);
    w += "WAVEfmt ";
    Put32(w, 16);
    Put16(w, 1);
    Put16(w, 1);
    Put32(w, 8000);
    Put32(w, 16000);
    Put16(w, 2);
    Put16(w, 16);
    w += "data";
    Put32(w, dataBytes);
    for (uint32_t i = 0; i < samples; ++i)
        Put16(w, uint16_t(int16_t((i % 40) * 800 - 16000)));
    std::ofstream(path, std::ios::binary) << w;
}

} // namespace

int main(int argc, char** argv) {
    std::string script;
    std::ostringstream log;
    log << "pid " << getpid() << "\n";
    std::vector<char> cwd(4096);
    log << "cwd " << (getcwd(cwd.data(), cwd.size()) ? cwd.data() : "?") << "\n";
    for (int i = 1; i < argc; ++i) {
        log << "arg " << argv[i] << "\n";
        if (std::string(argv[i]) == "/s" && i + 1 < argc) script = ReadAll(argv[i + 1]);
    }
    log << "script-begin\n" << script << "script-end\n";
    const std::string logPath = Env("SCRIVELLE_FAKETOOL_LOG", "");
    if (!logPath.empty()) std::ofstream(logPath, std::ios::app | std::ios::binary) << log.str();

    const std::string mode = Env("SCRIVELLE_FAKETOOL_MODE", "wav");
    if (mode == "fail") return 3;
    if (mode == "none") return 0;
    if (mode == "hang") {
        std::this_thread::sleep_for(std::chrono::minutes(10));
        return 0;
    }
    if (mode == "sleep")
        std::this_thread::sleep_for(
            std::chrono::milliseconds(std::atoi(Env("SCRIVELLE_FAKETOOL_MS", "500").c_str())));
    const std::string out = OutputPath(script);
    if (!out.empty()) WriteWav(out);
    return 0;
}
