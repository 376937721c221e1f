// Damaged packed executables run under Wine. Good ones come from the build
// job (a small source tree, with and without password); the campaign cuts
// them short, flips bits in the meta data, the local headers, the entry data,
// the central directory and the end record, and adds hostile archives made
// here (names that climb out, unsupported methods, lying sizes and CRCs,
// wrong entry counts). Every variant runs in a fresh folder with a time
// limit and must end in a numbered error (exit code 1) or in exactly the
// original files (exit code 0): no crash, no hang, no file written outside
// the extraction folder, no half-written file, no meta data copy left.
//   extractor_campaign_test [--seed=N] [--count=N]   (N random variants)
#include <gtest/gtest.h>

#include <ctype.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <map>
#include <string>
#include <vector>

#include "build/buildjob.h"
#include "e2e_support.h"
#include "guidriver.h"
#include "project/project.h"
#include "shell/buildlog.h"
#include "shell/paths.h"
#include "zlib.h"

namespace {

unsigned gSeed = 1;
int gCount = 36;
const char kPassword[] = "campaign secret";
const DWORD kVariantTimeoutMs = 20000;

typedef std::map<std::string, std::string> Files;  // relative path (lower case) -> bytes

std::string Lower(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = (char)(c - 'A' + 'a');
  return text;
}

// Deterministic from the seed, the same on every machine.
struct Random {
  uint32_t state;
  uint32_t Next() {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
  }
  size_t Below(size_t n) { return n ? Next() % n : 0; }
};

std::string TextLike(size_t size, uint32_t seed) {
  static const char* words[] = {"alpha ", "beta ", "gamma\r\n", "delta ", "42 ", "omega ", "x"};
  Random r = {seed | 1};
  std::string text;
  while (text.size() < size) text += words[r.Below(7)];
  text.resize(size);
  return text;
}

std::string Noise(size_t size, uint32_t seed) {
  Random r = {seed | 1};
  std::string bytes(size, 0);
  for (char& c : bytes) c = (char)r.Next();
  return bytes;
}

// Every file below folder, by relative path; folders as "name\".
void ListTree(const std::string& folder, const std::string& prefix, Files* out) {
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    std::string name = data.cFileName;
    if (name == "." || name == "..") continue;
    std::string path = folder + "\\" + name;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      (*out)[Lower(prefix + name + "\\")] = "";
      ListTree(path, prefix + name + "\\", out);
    } else {
      std::string bytes;
      ReadFileBytes(path, &bytes);
      (*out)[Lower(prefix + name)] = bytes;
    }
  } while (FindNextFileA(find, &data));
  FindClose(find);
}

struct Variant {
  std::string name;  // what was done to it
  std::string kind;  // the group it is counted in
  std::string bytes;
  const Files* originals;  // what a complete run extracts
};

struct Outcome {
  std::string verdict;  // "complete", "error #NNNN", "not run: ...", or "FAULT: ..."
  bool fault = false;
};

// The settings a variant's (possibly damaged) meta data block gives, read
// the way the extractor reads them.
struct Settings {
  bool found = false;
  std::string extractTo;  // below the variant's folder; empty when elsewhere
  bool deleteFiles = false;
};

Settings ReadSettings(const std::string& bytes, const std::string& scratch) {
  Settings s;
  const char marker[] = {'[', 'V', 'Q', ']', 0};
  size_t m = bytes.find(marker);
  if (m == std::string::npos || m > 60000) return s;
  size_t p = bytes.find(std::string("PK\3\4", 4), m + 4);
  if (p == std::string::npos) return s;
  s.found = true;
  std::string ini = scratch + "\\settings.ini";
  WriteFileBytes(ini, bytes.substr(m, p - m));
  char path[MAX_PATH] = "";
  GetPrivateProfileStringA("VQ", "ExtractionPath", "", path, sizeof path, ini.c_str());
  s.deleteFiles = GetPrivateProfileIntA("VQ", "DeleteFiles", 0, ini.c_str()) != 0;
  DeleteFileA(ini.c_str());
  // Only "*AppDir*" and a plain name keep the run inside the variant's
  // folder; anything else would extract somewhere on this machine.
  std::string rest = path;
  if (_strnicmp(path, "*AppDir*", 8) != 0) return s;
  rest = rest.substr(8);
  while (!rest.empty() && rest[0] == '\\') rest.erase(0, 1);
  if (rest.empty() || rest.find("..") != std::string::npos) return s;
  for (char c : rest)
    if (!(isalnum((unsigned char)c) || c == '_' || c == '-' || c == ' ' || c == '\\')) return s;
  s.extractTo = rest;
  return s;
}

class Campaign : public ::testing::Test {
 protected:
  std::string root;
  Files plain, hostileFirst;
  std::string goodPlain, goodSecret;
  std::map<std::string, int> tally;
  std::vector<std::string> faults;
  FILE* report = nullptr;

  void SetUp() override {
    ASSERT_FALSE(StubImage().empty()) << "vqstub.exe not found in the build tree";
    root = PrepareTestFolder("campaign");
    ASSERT_FALSE(root.empty()) << "VQ_BUILD_DIR not set";
    std::string source = root + "\\src";
    struct {
      const char* name;
      std::string data;
    } tree[] = {
        {"readme.txt", "Read me first.\r\n"},
        {"empty.txt", ""},
        {"data\\big.txt", TextLike(180000, 7)},
        {"data\\noise.bin", Noise(20000, 9)},
        {"data\\deep\\er\\nested.txt", TextLike(3000, 11)},
    };
    for (auto& f : tree) {
      std::string path = source + "\\" + f.name;
      MakeFolders(path.substr(0, path.rfind('\\')));
      ASSERT_TRUE(WriteFileBytes(path, f.data));
    }
    ListTree(source, "", &plain);
    goodPlain = Build("plain", source, "");
    goodSecret = Build("secret", source, kPassword);
    ASSERT_FALSE(goodPlain.empty());
    ASSERT_FALSE(goodSecret.empty());
    report = fopen((root + "\\report.txt").c_str(), "w");
  }

  void TearDown() override {
    if (report) fclose(report);
  }

  static void KeepFailure(const char* text) { ADD_FAILURE() << "build failed: " << text; }

  std::string Build(const char* name, const std::string& source, const char* password) {
    static const BuildLogSink sink = {nullptr, nullptr, nullptr, KeepFailure};
    ResetBuildLog(&sink);
    InitProject(&gProject, &gLaunch);
    std::string output = root + "\\" + name + ".exe";
    CopyText(gProject.ProjectName, VQ_TEXT_SIZE, name);
    CopyText(gProject.SourceFolder, VQ_TEXT_SIZE, (source + "\\").c_str());
    CopyText(gProject.OutputFile, VQ_TEXT_SIZE, output.c_str());
    CopyText(gProject.ExtractionFolder, VQ_TEXT_SIZE, "*AppDir*\\out");
    CopyText(gProject.Password, VQ_TEXT_SIZE, password);
    gProject.Checkbox3 = password[0] ? 1 : 0;
    gProject.CompressLevel = 6;
    std::string bytes;
    if (!BuildJob() || !ReadFileBytes(output, &bytes)) return "";
    ResetBuildLog(nullptr);
    return bytes;
  }

  // Answers the extractor's windows until it ends or the time is up.
  // Returns the exit code, or 0xFFFF for a hang; *errors gets the numbers
  // of the error boxes shown.
  DWORD Drive(GuiProcess* p, std::vector<int>* errors) {
    DWORD start = GetTickCount(), code = 0;
    for (;;) {
      if (GuiWaitProgram(p, 20, &code)) return code;
      if (GetTickCount() - start > kVariantTimeoutMs) {
        GuiEndProgram(p);
        return 0xFFFF;
      }
      HWND w = GuiFindWindow("ERROR #", GuiMatchPrefix | GuiMatchDialog, p->pid);
      if (w) {
        char caption[64] = "";
        GetWindowTextA(w, caption, sizeof caption);
        int number = atoi(caption + 7);
        errors->push_back(number);
        GuiClickButton(w, number == 28 ? IDYES : IDOK);
        GuiWaitWindowGone(w, 5000);
        continue;
      }
      if ((w = GuiFindWindow("Password needed.", GuiMatchExact, p->pid))) {
        GuiSetText(GuiFindControl(w, 8), kPassword);
        GuiClickButton(w, 6);
        GuiWaitWindowGone(w, 5000);
      } else if ((w = GuiFindWindow("Confirm File Replace.", GuiMatchExact, p->pid))) {
        GuiClickButtonByText(w, "&Yes");
        GuiWaitWindowGone(w, 5000);
      }
    }
  }

  Outcome RunVariant(int index, const Variant& v) {
    Outcome o;
    std::string dir = root + "\\v" + std::to_string(index);
    RemoveTree(dir);
    MakeFolders(dir + "\\cwd");
    MakeFolders(dir + "\\tmp");
    Settings settings = ReadSettings(v.bytes, root);
    if (settings.found && settings.extractTo.empty()) {
      o.verdict = "not run: the damaged meta data names a folder outside the test";
      return o;
    }
    std::string exe = dir + "\\packed.exe";
    WriteFileBytes(exe, v.bytes);
    SetEnvironmentVariableA("TMP", (dir + "\\tmp").c_str());
    SetEnvironmentVariableA("TEMP", (dir + "\\tmp").c_str());
    GuiProcess p = {};
    std::vector<int> errors;
    DWORD code = 0xFFFF;
    if (GuiStartProgram(("\"" + exe + "\"").c_str(), (dir + "\\cwd").c_str(), &p)) {
      code = Drive(&p, &errors);
      GuiEndProgram(&p);
    }
    o.fault = true;
    if (code == 0xFFFF) {
      o.verdict = "FAULT: hang";
      return o;
    }
    if (code != 0 && code != 1) {
      char text[64];
      snprintf(text, sizeof text, "FAULT: crash, exit code 0x%lX", (unsigned long)code);
      o.verdict = text;
      return o;
    }
    Files left;
    ListTree(dir, "", &left);
    std::string out = Lower(settings.extractTo.empty() ? "out" : settings.extractTo) + "\\";
    Files extracted;
    for (const auto& f : left) {
      const std::string& name = f.first;
      if (name == "packed.exe" || name == "cwd\\" || name == "tmp\\") continue;
      if (name.compare(0, 4, "tmp\\") == 0) {
        o.verdict = "FAULT: left in the temporary folder: " + name;
        return o;
      }
      if (name.compare(0, out.size(), out) == 0) {
        if (name.size() > out.size()) extracted[name.substr(out.size())] = f.second;
        continue;
      }
      // The folders above the extraction folder were made by the run.
      if (name.back() == '\\' && out.compare(0, name.size(), name) == 0) continue;
      o.verdict = "FAULT: written outside the extraction folder: " + name;
      return o;
    }
    for (const char* outside : {"C:\\vq-escape.txt", "\\vq-escape.txt", "..\\vq-escape.txt"}) {
      std::string path = outside[0] == '.' ? root + "\\" + outside : outside;
      if (FileExists(path)) {
        DeleteFileA(path.c_str());
        o.verdict = std::string("FAULT: written outside the extraction folder: ") + outside;
        return o;
      }
    }
    if (code == 1 && errors.empty()) {
      o.verdict = "FAULT: exit code 1 without a numbered error";
      return o;
    }
    // A file that is there is the original; after an error, what was not
    // written yet may be missing.
    for (const auto& f : extracted) {
      auto original = v.originals->find(f.first);
      if (original == v.originals->end() || original->second != f.second) {
        o.verdict = (code == 0 ? "FAULT: success with a wrong file: "
                               : "FAULT: a wrong or partial file stays: ") +
                    f.first;
        return o;
      }
    }
    if (code == 0) {
      for (const auto& f : *v.originals) {
        if (!settings.deleteFiles && !extracted.count(f.first)) {
          o.verdict = "FAULT: success with a file missing: " + f.first;
          return o;
        }
      }
      if (!errors.empty()) {
        o.verdict = "FAULT: success after error #" + std::to_string(errors[0]);
        return o;
      }
    }
    o.fault = false;
    char text[32];
    snprintf(text, sizeof text, "error #%04d", errors.empty() ? 0 : errors.back());
    o.verdict = code == 0 ? "complete" : text;
    return o;
  }

  void Record(int index, const Variant& v, const Outcome& o) {
    ++tally[v.kind + ": " + o.verdict.substr(0, o.verdict.find(':', 7))];
    if (o.fault) faults.push_back(v.name + " -> " + o.verdict);
    if (report) fprintf(report, "v%d\t%s\t%s\n", index, v.name.c_str(), o.verdict.c_str());
  }

  // Packs an archive made here behind the stub with plain meta data.
  Variant Hostile(const std::string& name, const std::string& zip,
                  const std::vector<ZipEntry>& entries) {
    MetaData meta;
    meta.extractionPath = "*AppDir*\\out";
    return {name, "hostile", StubImage() + MetaBlock(meta, zip, entries) + zip, &hostileFirst};
  }

  std::vector<Variant> HostileVariants() {
    std::vector<Variant> list;
    std::vector<ZipEntry> two = {{"first.txt", "1"}, {"second.txt", TextLike(40000, 3)}};
    hostileFirst = {{"first.txt", "1"}, {"second.txt", two[1].data}};
    for (const char* name : {"..\\vq-escape.txt", "../vq-escape.txt", "C:\\vq-escape.txt",
                             "C:vq-escape.txt", "\\vq-escape.txt", "first.txt:stream",
                             "sub\\..\\..\\vq-escape.txt", "... \\vq-escape.txt"})
      list.push_back(Hostile(std::string("name ") + name, MakeZip({{"first.txt", "1"},
                                                                    {name, "evil"}}),
                             two));
    std::string zip = MakeZip(two);
    ZipLayout layout = ReadZipLayout(zip);
    EXPECT_TRUE(layout.ok);
    if (!layout.ok) return list;
    struct Patch {
      const char* name;
      ZipField field;
      uint32_t value;
    } patches[] = {
        {"method 12", ZIP_METHOD, 12},
        {"method 99", ZIP_METHOD, 99},
        {"method 0 on deflated data", ZIP_METHOD, 0},
        {"uncompressed size + 1000", ZIP_UNCOMPRESSED, 41000},
        {"uncompressed size - 1000", ZIP_UNCOMPRESSED, 39000},
        {"uncompressed size 0", ZIP_UNCOMPRESSED, 0},
        {"compressed size halved", ZIP_COMPRESSED, layout.entries[1].compressedSize / 2},
        {"compressed size + 1000000", ZIP_COMPRESSED, layout.entries[1].compressedSize + 1000000},
        {"wrong CRC", ZIP_CRC, 0x12345678},
    };
    for (const Patch& p : patches) {
      std::string bad = zip;
      PatchZipEntry(&bad, layout, 1, p.field, p.value);
      list.push_back(Hostile(p.name, bad, two));
    }
    for (uint32_t count : {0u, 1u, 3u}) {
      std::string bad = zip;
      PutLe(&bad, layout.end + 8, count, 2);
      PutLe(&bad, layout.end + 10, count, 2);
      list.push_back(Hostile("entry count " + std::to_string(count), bad, two));
    }
    // A complete deflate stream of the first half only, under the whole
    // file's size and CRC: the stream ends before the declared size.
    std::vector<ZipEntry> half = {two[0], {"second.txt", two[1].data.substr(0, 20000)}};
    std::string early = MakeZip(half);
    ZipLayout earlyLayout = ReadZipLayout(early);
    PatchZipEntry(&early, earlyLayout, 1, ZIP_UNCOMPRESSED, 40000);
    PatchZipEntry(&early, earlyLayout, 1, ZIP_CRC,
                  (uint32_t)crc32(0, (const Bytef*)two[1].data.data(), 40000));
    list.push_back(Hostile("deflate stream ends early", early, two));
    // An archive that ends inside its central directory.
    list.push_back(Hostile("central directory cut", zip.substr(0, layout.central + 20), two));
    return list;
  }

  std::vector<Variant> RandomVariants(int count) {
    std::vector<Variant> list;
    Random r = {gSeed * 2654435761u | 1};
    static const char* kinds[] = {"truncated", "meta data", "local header", "entry data",
                                  "central directory", "end record"};
    for (int i = 0; i < count; ++i) {
      bool secret = i % 2 == 1;
      const std::string& good = secret ? goodSecret : goodPlain;
      size_t m = good.find("[VQ");
      size_t p = good.find(std::string("PK\3\4", 4), m);
      std::string zip = good.substr(p);
      ZipLayout layout = ReadZipLayout(zip);
      EXPECT_TRUE(layout.ok);
      if (!layout.ok) break;
      const char* kind = kinds[(i / 2) % 6];
      size_t from = 0, to = 0;  // range in the packed executable
      const ZipLayout::Entry& e = layout.entries[r.Below(layout.entries.size())];
      switch ((i / 2) % 6) {
        case 0: from = m; to = good.size(); break;
        case 1: from = m; to = p; break;
        case 2: from = p + e.local; to = p + e.data; break;
        case 3: from = p + e.data; to = p + e.data + e.compressedSize; break;
        case 4: from = p + layout.central; to = p + layout.end; break;
        default: from = p + layout.end; to = good.size(); break;
      }
      if (to <= from) to = from + 1;
      size_t at = from + r.Below(to - from);
      Variant v;
      v.kind = kind;
      v.originals = &plain;
      char name[96];
      if ((i / 2) % 6 == 0) {
        v.bytes = good.substr(0, at);
        snprintf(name, sizeof name, "%s cut at %u of %u", secret ? "secret" : "plain",
                 (unsigned)at, (unsigned)good.size());
      } else {
        int bit = (int)r.Below(8);
        v.bytes = good;
        v.bytes[at] ^= (char)(1 << bit);
        snprintf(name, sizeof name, "%s %s: bit %d of byte %u", secret ? "secret" : "plain",
                 kind, bit, (unsigned)at);
      }
      v.name = name;
      list.push_back(v);
    }
    return list;
  }
};

TEST_F(Campaign, DamagedExecutablesEndInAnErrorOrInTheOriginalFiles) {
  std::vector<Variant> variants = {{"good plain", "good", goodPlain, &plain},
                                   {"good with password", "good", goodSecret, &plain}};
  for (Variant& v : HostileVariants()) variants.push_back(v);
  for (Variant& v : RandomVariants(gCount)) variants.push_back(v);
  int index = 0;
  for (const Variant& v : variants) {
    Outcome o = RunVariant(index, v);
    Record(index, v, o);
    if (!o.fault) RemoveTree(root + "\\v" + std::to_string(index));
    ++index;
  }
  printf("campaign: seed %u, %d variants\n", gSeed, (int)variants.size());
  for (const auto& t : tally) printf("  %4d  %s\n", t.second, t.first.c_str());
  for (const std::string& f : faults) ADD_FAILURE() << f;
  EXPECT_EQ(0u, faults.size());
  // The good ones must extract, or the campaign proves nothing.
  EXPECT_EQ(2, tally["good: complete"]);
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  for (int i = 1; i < argc; ++i) {
    if (strncmp(argv[i], "--seed=", 7) == 0) gSeed = (unsigned)strtoul(argv[i] + 7, nullptr, 10);
    if (strncmp(argv[i], "--count=", 8) == 0) gCount = atoi(argv[i] + 8);
  }
  return RUN_ALL_TESTS();
}
