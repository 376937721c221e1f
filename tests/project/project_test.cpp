// The project file: its exact format, odd files, failed saves.
#include "project/project.h"

#include "platform/platform.h"
#include "services/paths.h"
#include "tests/support/support.h"

#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>

#include <memory>
#include <string>
#include <vector>

namespace {

// The record and the launch list are big (400 KB of launch text): on the heap.
struct Project {
  std::unique_ptr<ProjectRecord> record{new ProjectRecord};
  std::unique_ptr<LaunchList> launch{new LaunchList};
  Project() { InitProject(record.get(), launch.get()); }
  void SetFile(const std::string& path) {
    CopyText(record->ProjectFilePath, VQ_TEXT_SIZE, path.c_str());
  }
  ProjectLoad Load() { return LoadProject(record.get(), launch.get()); }
  bool Save() { return SaveProject(record.get(), launch.get()); }
  void AddEntry(const char* file, const char* cmd, const char* state) {
    int i = LaunchCount(launch.get());
    CopyText(launch->ExecFile[i], VQ_TEXT_SIZE, file);
    CopyText(launch->CmdLine[i], VQ_TEXT_SIZE, cmd);
    CopyText(launch->WinState[i], VQ_TEXT_SIZE, state);
  }
};

TEST(Project, SavesEveryFieldInOrder) {
  Project saved, loaded;
  CopyText(saved.record->ProjectName, VQ_TEXT_SIZE, "My Demo \xe9");
  CopyText(saved.record->SourceFolder, VQ_TEXT_SIZE, "C:\\Work\\Demo\\");
  CopyText(saved.record->Password, VQ_TEXT_SIZE, "se=cret");
  CopyText(saved.record->ExtractionFolder, VQ_TEXT_SIZE, "*ProgramFiles*\\Demo");
  CopyText(saved.record->IconFile, VQ_TEXT_SIZE, "C:\\Icons\\demo.ico");
  CopyText(saved.record->OutputFile, VQ_TEXT_SIZE, "C:\\Out\\Demo.exe");
  saved.record->Checkbox1 = 1;  // numbers that differ, so that none takes another's key
  saved.record->Checkbox3 = 2;
  saved.record->CompressLevel = 7;
  saved.record->OverwriteMode = 3;
  CopyText(saved.record->Encryption, VQ_TEXT_SIZE, "AES256");
  const char* states[] = {"*ShowWin*", "*HideWin*", "*MaximizeWin*", "*MinimizeWin*"};
  for (int i = 0; i < VQ_MAX_LAUNCH; i++) {
    char file[64], cmd[32];
    snprintf(file, sizeof file, "C:\\Work\\Demo\\dir%d\\prog%d.exe", i % 5, i);
    snprintf(cmd, sizeof cmd, "-n %d", i);
    if (i % 3 == 0) cmd[0] = '\0';  // empty command lines too
    saved.AddEntry(i == 2 ? "D:\\Other\\tool.exe" : file, cmd, states[i % 4]);
  }
  std::string path = ScratchName("saved") + ".vqx";
  saved.SetFile(path);
  EXPECT_TRUE(saved.Save());
  loaded.SetFile(path);
  EXPECT_EQ(PROJECT_LOADED, loaded.Load());
  std::string text = ReadRawFile(path);
  EXPECT_EQ(
      "[Varnoquist]\r\nVersion=1.2\r\nProjectName=My Demo \xe9\r\nSourceFolder=C:\\Work\\Demo\\\r\n"
      "Password=se=cret\r\nExtractionFolder=*ProgramFiles*\\Demo\r\nIconFile=C:\\Icons\\demo.ico\r\n"
      "OutputFile=C:\\Out\\Demo.exe\r\nCheckbox1=1\r\nCheckbox2=0\r\nCheckbox3=2\r\n"
      "CompressLevel=7\r\nOverwriteMode=3\r\nEncryption=AES256\r\nExecFile0=dir0\\prog0.exe\r\nCmdLine0=\r\n"
      "WinState0=*ShowWin*\r\nExecFile1=dir1\\prog1.exe\r\nCmdLine1=-n 1\r\nWinState1=*HideWin*\r\n"
      "ExecFile2=D:\\Other\\tool.exe\r\n",
      text.substr(0, text.find("CmdLine2")));
  EXPECT_NE(std::string::npos, text.find("\r\nExecFile63=dir3\\prog63.exe\r\nCmdLine63=\r\n"));
  EXPECT_EQ(std::string::npos, text.find("ExecFile64"));
  // Read back: what each key holds is the Loads table's, the walk's reopened project's and the
  // packer's saved pipeline's; here, that all 64 entries come back.
  EXPECT_EQ(VQ_MAX_LAUNCH, LaunchCount(loaded.launch.get()));
}

ProjectLoad LoadText(Project* p, const std::string& text) {
  std::string path = ScratchName("load") + ".vqx";
  EXPECT_TRUE(WriteRawFile(path, text));
  p->SetFile(path);
  return p->Load();
}

// Loads into a record set before: a missing key leaves its field as it was, the launch list ends
// at the first gap, a version other than 1.2 says so (the values load all the same).
TEST(Project, Loads) {
  const std::string binary = [] {
    std::string bytes;
    for (int i = 0; i < 4096; i++) bytes += (char)((i * 131 + 7) & 0xFF);
    return bytes;
  }();
  const std::string v = "[Varnoquist]\nVersion=1.2\n", kept = "\"Old\" |5|1|";
  const struct {
    std::string file;
    std::string loaded;  // name|level|overwrite|password (" AES-256")|other version|launch entries as file,cmd,state
  } cases[] = {
      {v, kept + "|0"},
      {"[Varnoquist]\nVersion=1.20\n", kept + "|1"},
      {"[Varnoquist]\nVersion=\" 1.2\t\"\n", kept + "|0"},  // trimmed after the quotes go
      {"[Varnoquist]\nVersion=\n", kept + "|1"},
      {"[Other]\nVersion=1.2\n", kept + "|1"},
      {"[Varnoquist]\nVersion=0.9\nProjectName=New\nCompressLevel=3\n", "New|3|1||1"},
      {v + "Password=new\nOverwriteMode=\n", kept + "new|0"},  // an empty number counts as missing
      {v + "Password=new\nEncryption=aes256\n", kept + "new AES-256|0"},  // in any case
      {v + "Encryption=AES-256\n", kept + "|0"},  // unknown: traditional
      {v + "SourceFolder=C:\\W\\\r\nExecFile0=a.exe\r\nExecFile1=sub/b.exe\r\nCmdLine1=-x\r\n"
           "ExecFile3=d.exe\r\n",  // missing keys of an entry get defaults
       kept + "|0|C:\\W\\a.exe,*Command*,*ShowWin*|C:\\W\\sub\\b.exe,-x,*ShowWin*"},
      {v + "SourceFolder=C:\\W\\\nExecFile0=a.exe\nExecFile1=\nExecFile2=c.exe\n",  // so does an empty one
       kept + "|0|C:\\W\\a.exe,*Command*,*ShowWin*"},
      {v + "SourceFolder=C:\\S\\\nExecFile0=new.exe\nWinState0=\n", kept + "|0|C:\\S\\new.exe,*Command*,"},
      {v + "SourceFolder=\\\\srv\\share\\\nExecFile0=a.exe\n",  // a network folder stays doubled
       kept + "|0|\\\\srv\\\\share\\\\a.exe,*Command*,*ShowWin*"},
      {binary, kept + "|1"},
      {binary + "\n[Varnoquist]\nProjectName=Bin\nCompressLevel=4\n" + binary, "Bin|4|1||1"},
  };
  for (const auto& c : cases) {
    Project p;
    CopyText(p.record->ProjectName, VQ_TEXT_SIZE, "\"Old\" ");
    p.record->CompressLevel = 5;
    p.record->OverwriteMode = 1;
    p.AddEntry("C:\\old.exe", "", "*ShowWin*");
    p.AddEntry("C:\\old2.exe", "", "*ShowWin*");
    ProjectLoad result = LoadText(&p, c.file);
    std::string loaded = std::string(p.record->ProjectName) + "|" + std::to_string(p.record->CompressLevel) +
                         "|" + std::to_string(p.record->OverwriteMode) + "|" + p.record->Password + (UsesAes256(p.record.get()) ? " AES-256|" : "|") +
                         std::to_string(result == PROJECT_OTHER_VERSION);
    for (int i = 0; i < LaunchCount(p.launch.get()); i++)
      loaded += std::string("|") + p.launch->ExecFile[i] + "," + p.launch->CmdLine[i] + "," +
                p.launch->WinState[i];
    EXPECT_EQ(c.loaded, loaded) << c.file.substr(0, 200);
  }
  // Values longer than a text buffer are cut to 2047 characters.
  Project p;
  std::string longValue(3000, 'v');
  LoadText(&p, "[Varnoquist]\nProjectName=" + longValue + "\nSourceFolder=" + longValue +
                   "\nExecFile0=" + longValue + "\nCmdLine0=" + longValue + "\n");
  EXPECT_EQ(2047u, strlen(p.record->ProjectName));
  EXPECT_EQ(2047u, strlen(p.record->SourceFolder));
  EXPECT_EQ(2047u, strlen(p.launch->CmdLine[0]));
  EXPECT_EQ(2047u, strlen(p.launch->ExecFile[0]));  // folder + value, cut to fit
}

// The project named on a builder's command line (how the path is taken: the command line suite's).
TEST(Project, ProjectPathFromCommandLine) {
  std::string folder = ScratchName("cmd dir") + "\\", path = folder + "my project.vqx";
  MakeTree(folder, {{"my project.vqx", "[Varnoquist]\r\nVersion=1.2\r\nProjectName=From Tail\r\n"}});
  const std::string doubled = folder + "\\my project.vqx", cases[][2] = {  // tail, project loaded
      {"\"" + path + "\"", path}, {doubled, doubled},  // not normalised: as given
      {"", ""}, {"\"" + folder + "missing.vqx\"", ""},
      {folder + "my*.vqx", ""}, {"\"" + folder.substr(0, folder.size() - 1) + "\"", ""}};  // no file of its own
  for (const auto& c : cases) {
    Project p;
    ProjectLoad loaded = ProjectPathFromCommandLine(c[0].c_str(), p.record.get(), p.launch.get());
    EXPECT_EQ(c[1].empty() ? PROJECT_NOT_LOADED : PROJECT_LOADED, loaded) << c[0];
    EXPECT_EQ(c[1], p.record->ProjectFilePath);
    EXPECT_STREQ(c[1].empty() ? "Project Name" : "From Tail", p.record->ProjectName);
  }
}

// A save replaces the old file only when the new one is whole.
TEST(ProjectSave, HoldsOnlyTheKeysOfThisSave) {
  Project p;
  std::string folder = ScratchName("resave") + "\\";
  MakeTree(folder, {{"demo.vqx", "[Varnoquist]\r\nStale=1\r\n[Other]\r\nKey=2\r\n"}});
  std::string path = folder + "demo.vqx";
  p.SetFile(path);
  CopyText(p.record->SourceFolder, VQ_TEXT_SIZE, "C:\\S\\");
  for (int i = 0; i < 6; i++) p.AddEntry("C:\\S\\x.exe", "", "*ShowWin*");
  ASSERT_TRUE(p.Save());
  p.launch->ExecFile[2][0] = '\0';
  ASSERT_TRUE(p.Save());
  std::string text = ReadRawFile(path);
  EXPECT_EQ(std::string::npos, text.find("Stale"));
  EXPECT_EQ(std::string::npos, text.find("Other"));
  EXPECT_NE(std::string::npos, text.find("ExecFile1="));
  EXPECT_EQ(std::string::npos, text.find("ExecFile2="));
  EXPECT_EQ(std::string::npos, text.find("ExecFile5="));
  EXPECT_EQ("demo.vqx", ListFolder(folder));  // no temporary file left beside it
  // Read back at once: what the profile services held of the old file is gone.
  Project q;
  RecordedMessageBoxes boxes;
  q.SetFile(path);
  q.Load();
  EXPECT_EQ(2, LaunchCount(q.launch.get()));
}

// A save goes through a file of the project file's own folder, for every form of path: a bare
// name (the current folder's, not the Windows folder where the profile services would look),
// forward slashes, 259 characters. One that fails leaves the old file and nothing beside it.
TEST(ProjectSave, EveryFormOfPathOrAFailureLeavesNothingBeside) {
  const std::string folder = ScratchName("fail") + "\\", old = "[Varnoquist]\r\nVersion=1.2\r\nProjectName=Old\r\n";
  const std::string deep = folder + std::string(120, 'f') + "\\";
  std::string slashed = folder + "slash\\p.vqx";
  for (char& c : slashed) c = c == '\\' ? '/' : c;
  MakeTree(folder, {{"plain.vqx", old}, {"slash\\x", ""}, {deep.substr(folder.size()) + "x", ""}});
  MakeFolder(folder + "taken.vqx");
  const std::string listed = ListFolder(folder) + ListFolder(folder + "slash\\") + ListFolder(deep);
  const std::string bare = "core-bare-name.vqx", longest = deep + std::string(255 - deep.size(), 'g') + ".vqx";
  // Then a name taken by a folder, a folder that vanished, a file for a folder, no path at all.
  const std::pair<std::string, bool> cases[] = {{bare, true}, {slashed, true}, {longest, true},
      {folder + "taken.vqx", false}, {folder + "gone\\demo.vqx", false}, {folder + "plain.vqx\\demo.vqx", false}, {"", false}};
  for (const auto& [path, saves] : cases) {
    SCOPED_TRACE(path);
    Project p;
    p.SetFile(path);
    CopyText(p.record->ProjectName, VQ_TEXT_SIZE, "Formed");
    EXPECT_EQ(p.Save(), saves);
    Project q;
    RecordedMessageBoxes boxes;
    q.SetFile(path);
    if (saves) q.Load();
    EXPECT_STREQ(q.record->ProjectName, saves ? "Formed" : "Project Name");
    EXPECT_TRUE(!saves || PlatformDeleteFile(path == bare ? (".\\" + bare).c_str() : path.c_str()));
    EXPECT_EQ(ListFolder(folder) + ListFolder(folder + "slash\\") + ListFolder(deep), listed);
    EXPECT_EQ(old, ReadRawFile(folder + "plain.vqx"));
    EXPECT_EQ(0, boxes.count());
  }
}

}  // namespace
