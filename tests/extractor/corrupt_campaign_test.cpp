// Damaged packed executables run under Wine. Two good ones come from the
// build job (a small source tree, with and without password); the campaign
// cuts them short or flips a bit in the meta data, a local header, entry
// data, the central directory or the end record, as a seed says. Each
// variant runs in a fresh folder with a time limit and must end in a
// numbered error (exit code 1) or in exactly the original files (exit code
// 0): no crash, no hang, no file written outside the extraction folder, no
// half-written file, no meta data copy left.
//   extractor_campaign_test [--seed=N] [--count=N]   (N damaged variants)
#include <gtest/gtest.h>

#include <ctype.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <map>

#include "build/buildjob.h"
#include "packed_run.h"
#include "project/project.h"
#include "shell/buildlog.h"
#include "shell/paths.h"
#include "tests/support/support.h"

namespace {

unsigned gSeed = 1;
int gCount = 58;
const char kPassword[] = "campaign secret";

typedef std::map<std::string, std::string> Files;  // relative path (lower case) -> bytes

// Deterministic from the seed, the same on every machine.
struct Random {
  uint32_t state;
  uint32_t Next() {
    state ^= state << 13;
    state ^= state >> 17;
    return state ^= state << 5;
  }
  size_t Below(size_t n) { return n ? Next() % n : 0; }
};

std::string RandomText(size_t size, uint32_t seed, bool words) {
  static const char* kWords[] = {"alpha ", "beta ", "gamma\r\n", "delta ", "42 ", "omega "};
  Random r = {seed | 1};
  std::string text;
  while (text.size() < size) text += words ? kWords[r.Below(6)] : std::string(1, (char)r.Next());
  return text.substr(0, size);
}

// Every file below folder by relative path, lower case; folders as "name\".
void ListTree(const std::string& folder, const std::string& prefix, Files* out) {
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &data);
  for (bool more = find != INVALID_HANDLE_VALUE; more; more = FindNextFileA(find, &data)) {
    std::string name = prefix + data.cFileName, path = folder + "\\" + data.cFileName;
    for (char& c : name) c = (char)tolower((unsigned char)c);
    if (!strcmp(data.cFileName, ".") || !strcmp(data.cFileName, "..")) continue;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      (*out)[name + "\\"] = "";
      ListTree(path, name + "\\", out);
    } else {
      (*out)[name] = ReadRawFile(path);
    }
  }
  if (find != INVALID_HANDLE_VALUE) FindClose(find);
}

// Where a variant's (possibly damaged) meta data extracts, read the way the
// extractor reads it: "out" and the like below the variant's folder; empty
// when the run would write elsewhere on this machine.
std::string ExtractsTo(const std::string& bytes, const std::string& scratch, bool* deletes) {
  const char marker[] = {'[', 'V', 'Q', ']', 0};
  size_t m = bytes.find(marker), p = bytes.find(std::string("PK\3\4", 4), m + 4);
  if (m == std::string::npos || m > 60000 || p == std::string::npos) return "out";
  std::string ini = scratch + "\\settings.ini";
  WriteRawFile(ini, bytes.substr(m, p - m));
  char path[MAX_PATH] = "";
  GetPrivateProfileStringA("VQ", "ExtractionPath", "", path, sizeof path, ini.c_str());
  *deletes = GetPrivateProfileIntA("VQ", "DeleteFiles", 0, ini.c_str()) != 0;
  std::string rest = _strnicmp(path, "*AppDir*", 8) ? "" : path + 8;
  while (!rest.empty() && rest[0] == '\\') rest.erase(0, 1);
  for (char c : rest)
    if (!(isalnum((unsigned char)c) || strchr("_- \\", c))) return "";
  return rest.find("..") == std::string::npos ? rest : "";
}

class Campaign : public ::testing::Test {
 protected:
  std::string root = RunFolder("e2e\\campaign");
  Files originals;
  std::map<std::string, int> tally;

  static void KeepFailure(const char* text) { ADD_FAILURE() << "build failed: " << text; }

  std::string Build(const char* name, const char* password) {
    static const BuildLogSink sink = {nullptr, nullptr, nullptr, KeepFailure};
    ResetBuildLog(&sink);
    InitProject(&gProject, &gLaunch);
    std::string output = root + "\\" + name + ".exe";
    CopyText(gProject.ProjectName, VQ_TEXT_SIZE, name);
    CopyText(gProject.SourceFolder, VQ_TEXT_SIZE, (root + "\\src\\").c_str());
    CopyText(gProject.OutputFile, VQ_TEXT_SIZE, output.c_str());
    CopyText(gProject.ExtractionFolder, VQ_TEXT_SIZE, "*AppDir*\\out");
    CopyText(gProject.Password, VQ_TEXT_SIZE, password);
    gProject.Checkbox3 = password[0] ? 1 : 0;
    gProject.CompressLevel = 6;
    bool built = BuildJob();
    ResetBuildLog(nullptr);
    return built ? ReadRawFile(output) : "";
  }

  // The verdict on one variant: "complete", "error #NNNN", "not run: ...",
  // or "FAULT: ...".
  std::string Run(int index, const std::string& bytes) {
    std::string dir = RunFolder("e2e\\campaign\\v" + std::to_string(index));
    bool deletes = false;
    std::string out = ExtractsTo(bytes, root, &deletes);
    if (out.empty()) return "not run: the damaged meta data names a folder outside the test";
    PackedRun run;
    run.bytes = bytes;
    run.password = kPassword;
    run.timeoutMs = 20000;
    RunResult result = RunPacked(dir, run);
    if (result.code == kHung) return "FAULT: hang";
    if (result.code > 1) return "FAULT: crash, exit code " + std::to_string(result.code);
    if (result.metaLeft) return "FAULT: the meta data copy stayed";
    std::string error;
    for (const std::string& w : result.windows) {
      if (w.find("|!") != std::string::npos) return "FAULT: " + w;
      if (w.compare(0, 7, "ERROR #") == 0) error = "error #" + w.substr(7, 4);
    }
    if (result.code == 1 && error.empty()) return "FAULT: exit code 1 without a numbered error";
    if (result.code == 0 && !error.empty()) return "FAULT: success after " + error;
    Files left, extracted;
    ListTree(dir, "", &left);
    for (char& c : out) c = (char)tolower((unsigned char)c);
    out += "\\";
    for (const auto& f : left) {
      const std::string& name = f.first;
      if (name == "packed.exe" || name == "cwd\\" || name == "tmp\\" || name == "logs\\") continue;
      if (name.compare(0, 4, "tmp\\") == 0) return "FAULT: left in the temporary folder: " + name;
      if (name.compare(0, out.size(), out) == 0) {
        if (name.size() > out.size()) extracted[name.substr(out.size())] = f.second;
      } else if (name.back() != '\\' || out.compare(0, name.size(), name) != 0) {
        // (Folders above the extraction folder were made by the run.)
        return "FAULT: written outside the extraction folder: " + name;
      }
    }
    // A file that is there is the original; after an error, what was not
    // written yet may be missing.
    for (const auto& f : extracted) {
      auto original = originals.find(f.first);
      if (original == originals.end() || original->second != f.second)
        return (result.code ? "FAULT: a wrong or partial file stays: "
                            : "FAULT: success with a wrong file: ") + f.first;
    }
    for (const auto& f : originals)
      if (result.code == 0 && !deletes && !extracted.count(f.first))
        return "FAULT: success with a file missing: " + f.first;
    return result.code ? error : "complete";
  }
};

TEST_F(Campaign, DamagedExecutablesEndInAnErrorOrInTheOriginalFiles) {
  ASSERT_NE("<missing>", StubImage()) << "vqstub.exe not found in the build tree";
  MakeTree(root + "\\src\\", {{"readme.txt", "Read me first.\r\n"},
                              {"empty.txt", ""},
                              {"data\\big.txt", RandomText(180000, 7, true)},
                              {"data\\noise.bin", RandomText(20000, 9, false)},
                              {"data\\deep\\er\\nested.txt", RandomText(3000, 11, true)}});
  ListTree(root + "\\src", "", &originals);
  const std::string good[2] = {Build("plain", ""), Build("secret", kPassword)};
  ASSERT_FALSE(good[0].empty() || good[1].empty());
  FILE* report = fopen((root + "\\report.txt").c_str(), "w");
  std::vector<std::string> faults;
  Random r = {gSeed * 2654435761u | 1};
  static const char* kParts[] = {"cut", "meta data", "local header", "entry data",
                                 "central directory", "end record"};
  for (int i = -2; i < gCount; ++i) {
    const std::string& bytes = good[(i + 2) % 2];
    size_t m = bytes.find("[VQ"), p = bytes.find(std::string("PK\3\4", 4), m);
    ZipLayout layout = ReadZipLayout(bytes.substr(p));
    ASSERT_TRUE(layout.ok);
    const ZipLayout::Entry& e = layout.entries[r.Below(layout.entries.size())];
    int part = i < 0 ? -1 : (i / 2) % 6;
    size_t ranges[6][2] = {{m, bytes.size()},
                           {m, p},
                           {p + e.local, p + e.data},
                           {p + e.data, p + e.data + e.compressedSize},
                           {p + layout.central, p + layout.end},
                           {p + layout.end, bytes.size()}};
    std::string variant = bytes, name = i % 2 ? "secret " : "plain ";
    if (part < 0) {
      name += "good";
    } else {
      size_t from = ranges[part][0], to = std::max(ranges[part][1], from + 1);
      size_t at = from + r.Below(to - from);
      int bit = (int)r.Below(8);
      if (part == 0) {
        variant.resize(at);
      } else {
        variant[at] ^= (char)(1 << bit);
      }
      name += std::string(kParts[part]) + (part ? ": bit " + std::to_string(bit) + " of" : "") +
              " byte " + std::to_string(at);
    }
    std::string verdict = Run(i + 2, variant);
    ++tally[(part < 0 ? "good" : kParts[part]) + std::string(": ") +
            verdict.substr(0, verdict.find(':', 7))];
    if (verdict.compare(0, 6, "FAULT:") == 0) {
      faults.push_back(name + " -> " + verdict);
    } else {
      RemoveTree(root + "\\v" + std::to_string(i + 2));
    }
    if (report) fprintf(report, "v%d\t%s\t%s\n", i + 2, name.c_str(), verdict.c_str());
  }
  if (report) fclose(report);
  printf("campaign: seed %u, %d variants\n", gSeed, gCount + 2);
  for (const auto& t : tally) printf("  %4d  %s\n", t.second, t.first.c_str());
  for (const std::string& f : faults) ADD_FAILURE() << f;
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
