// A scratch folder for a fuzz target's files: made on first use under the
// system's temporary folder and removed with everything in it when the
// process ends. The fuzzer's working directory is left as it was, so a
// relative corpus path and the crash files stay where the user expects.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

namespace travik::fuzz {

class ScratchFolder {
public:
    ScratchFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "travik-fuzz-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) std::abort();
        m_path = pattern;
    }
    ~ScratchFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    // The absolute path of a file in the folder.
    std::string PathOf(const char* name) const { return (m_path / name).string(); }
    const std::filesystem::path& Path() const { return m_path; }

    // Writes the bytes as the file's whole content.
    std::string Write(const char* name, const uint8_t* data, size_t size) const
    {
        std::string path = PathOf(name);
        if (std::FILE* file = std::fopen(path.c_str(), "wb")) {
            if (size > 0) std::fwrite(data, 1, size, file);
            std::fclose(file);
        }
        return path;
    }

private:
    std::filesystem::path m_path;
};

// The process's one scratch folder; destroyed (and removed) at exit.
inline const ScratchFolder& Scratch()
{
    static const ScratchFolder folder;
    return folder;
}

} // namespace travik::fuzz
