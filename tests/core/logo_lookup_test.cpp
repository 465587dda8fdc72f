// Where the logo is read from: beside the program first, then the installed data folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "assets/MonoBitmap.h"
#include "tests/fakes/TestRig.h"
#include "ticket/Logo.h"
#include "ticket/SampleTicket.h"

namespace qw77 {
namespace {

using Bytes = std::vector<std::uint8_t>;
namespace fs = std::filesystem;

std::string Fill(std::string text, const std::string& field, const std::string& value) {
  if (const auto at = text.find(field); at != std::string::npos)
    text.replace(at, field.size(), value);
  return text;
}

enum class Entry { kNothing, kFile, kFolder };

void Make(const fs::path& path, Entry entry) {
  if (entry == Entry::kFolder) fs::create_directories(path);
  if (entry == Entry::kFile) std::ofstream(path) << "BM";
}

TEST(FindLogo, BesideTheProgramFirstThenTheDataFolder) {
  struct Case {
    const char* name;
    Entry beside;
    Entry installed;
    bool data_folder;      // whether the system names one
    const char* found_in;  // "prog", "data", or nullptr for kNotFound
    const char* says;      // the message, with {prog} and {data} for the two folders
  };
  const Case cases[] = {
      {"in both: the program's own wins", Entry::kFile, Entry::kFile, true, "prog", ""},
      {"only installed", Entry::kNothing, Entry::kFile, true, "data", ""},
      // A broken entry beside the program is read (and reported), not passed over.
      {"a folder beside the program", Entry::kFolder, Entry::kFile, true, "prog", ""},
      {"in neither", Entry::kNothing, Entry::kNothing, true, nullptr,
       "The logo file SPACE.BMP is neither beside the program, in {prog}, nor in {data}."},
      {"no data folder", Entry::kNothing, Entry::kFile, false, nullptr,
       "The logo file {prog}/SPACE.BMP was not found."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    testing::ScopedTempDir dir;
    testing::TestRig rig;
    const std::string prog = (dir.path() / "prog").string();
    const std::string data = (dir.path() / "data").string();
    fs::create_directories(prog);
    fs::create_directories(data);
    Make(fs::path(prog) / "SPACE.BMP", c.beside);
    Make(fs::path(data) / "SPACE.BMP", c.installed);
    rig.system.program_directory = prog;
    if (c.data_folder) rig.system.data_directory = data;

    const Result<std::string> found = FindLogo(*rig.frm, 0);
    if (c.found_in != nullptr) {
      ASSERT_TRUE(found.ok()) << found.status().message();
      EXPECT_EQ(*found, (dir.path() / c.found_in / "SPACE.BMP").string());
    } else {
      ASSERT_FALSE(found.ok());
      EXPECT_EQ(found.status().code(), ErrorCode::kNotFound);
      EXPECT_EQ(found.status().message(), Fill(Fill(c.says, "{prog}", prog), "{data}", data));
    }
  }
}

// The sample ticket takes an installed logo when the program has none beside it.
TEST(FindLogo, TheSampleTicketPrintsTheInstalledLogo) {
  testing::ScopedTempDir dir;
  testing::TestRig rig;
  fs::create_directories("prog");
  fs::create_directories("data");
  rig.system.program_directory = (dir.path() / "prog").string();
  rig.system.data_directory = (dir.path() / "data").string();
  assets::MonoPicture picture(32, 1);
  picture.Set(0, 0);
  const Bytes bmp = assets::EncodeMonoBmp(picture);
  std::ofstream("data/CUADROS.BMP", std::ios::binary)
      .write(reinterpret_cast<const char*>(bmp.data()), static_cast<std::streamsize>(bmp.size()));
  rig.state().SetValue("CheckGraphic", 1);
  rig.state().Select("Option1", 2);

  ASSERT_TRUE(BuildSampleTicket(*rig.frm).ok());
  std::ifstream in("tempo.txt", std::ios::binary);
  const Bytes out((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const Bytes block = {0x1D, 0x76, 0x30, 0x00, 0x04, 0x00, 0x01, 0x00, 0x80, 0x00, 0x00, 0x00};
  ASSERT_GT(out.size(), block.size() + 3);
  EXPECT_EQ(Bytes(out.end() - 15, out.end() - 3), block);
}

}  // namespace
}  // namespace qw77
