#include "fuzz/seeds/Seeds.h"

#include <string>

namespace travik::fuzz {

namespace {
const std::string kFF4 = "\xFF\xFF\xFF\xFF";

// The input layout of MetadataInjectFuzz: flags, the data file's length, the
// data file, the metadata file.
std::string Input(bool correct, int tag, const std::string& data, const std::string& meta)
{
    std::string input;
    input += static_cast<char>((correct ? 1 : 0) | (tag & 3) << 1);
    input += static_cast<char>(data.size() & 0xFF);
    input += static_cast<char>(data.size() >> 8 & 0xFF);
    return input + data + meta;
}

std::string Header(const std::string& size, const std::string& name = "a\\bitmap")
{
    return "Metadata information file created by Project Travik\r\nFormat: Name, Type1, Type2, Type3, Size\r\n" + name +
           "\r\nbitm\r\n" + kFF4 + "\r\n\r\n" + size + "\r\n";
}
} // namespace

std::vector<Seed> MetadataInjectSeeds()
{
    const std::string meta16("\x00\x78\xFF\x11\x78\x00\x00\x78\xFF\xFF\xFF\xFF\x22\x00\x78\x33", 16);
    const std::string records = "Dependency|4|a\\bitmap|bitm|\r\nLoneID|8|a|sound|snd!|\r\nDependency|12|Nulled|" + kFF4 +
                                "|\r\nDependency|0|Nulled|weap|\r\nReflexive|0|200|\r\nReflexive|12|4294967295|\r\n";
    return {
        {"corrected-records", Input(true, 3, Header("16") + records, meta16)},
        {"uncorrected", Input(false, 3, Header("16") + records, meta16)},
        {"negative-size", Input(true, 1, Header("-4"), meta16)},
        {"no-size", Input(true, 1, Header("sixteen"), meta16)},
        {"larger-than-target", Input(true, 0, Header("33"), meta16 + meta16 + meta16)},
        {"equal-to-target", Input(true, 0, Header("32") + "LoneID|28|big tag|weap|\r\n", meta16 + meta16)},
        {"garbage-records", Input(true, 3,
                                  Header("16") + "Pointer|4|x|\r\nLoneID|zz|a|b|\r\n" + std::string(150, 'k') +
                                      "|1|2|\r\nxxReflexiveyy|4|-16|\r\nDependency|20|cut",
                                  meta16)},
        {"short-metadata-file", Input(true, 3, Header("16") + records, meta16.substr(0, 9))},
        {"outside", Input(true, 3, Header("16") + "Reflexive|-1|0|\r\nReflexive|13|0|\r\nLoneID|2147483647|end|bitm|\r\n",
                          meta16)},
        {"names-with-breaks-and-bars",
         Input(true, 3,
               Header("16", "two\r\nlines") + "LoneID|4|a|sound|snd!|\r\nLoneID|8|a\r\nb|c|\r\nDependency|0|" +
                   std::string(1200, 'n') + "|bitm|\r\n",
               meta16)},
        {"records-only", Input(true, 2, records, meta16)},
        {"no-line-ends", Input(true, 3, Header("16").substr(0, Header("16").size() - 2) + "Reflexive|4|1|", meta16)},
    };
}

} // namespace travik::fuzz
