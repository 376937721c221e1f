// The project record and the project file: the exact format, every field
// through a save and a load, what a load makes of odd files, and saves that
// fail without harm.
#include "project/project.h"

#include "platform/platform.h"
#include "shell/paths.h"
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
  void Load() { LoadProject(record.get(), launch.get()); }
  bool Save() { return SaveProject(record.get(), launch.get()); }
  void AddEntry(const char* file, const char* cmd, const char* state) {
    int i = LaunchCount(launch.get());
    CopyText(launch->ExecFile[i], VQ_TEXT_SIZE, file);
    CopyText(launch->CmdLine[i], VQ_TEXT_SIZE, cmd);
    CopyText(launch->WinState[i], VQ_TEXT_SIZE, state);
  }
};

// Saves saved into a fresh file and loads that into loaded; no box may show.
void SaveAndLoad(Project* saved, Project* loaded, std::string* text = nullptr) {
  std::string path = ScratchName("saved") + ".vqx";
  saved->SetFile(path);
  ASSERT_TRUE(saved->Save());
  if (text) *text = ReadRawFile(path);
  RecordedMessageBoxes boxes;
  loaded->SetFile(path);
  loaded->Load();
  EXPECT_EQ(0, boxes.count());
}

// Loads `text` as a project file into a record that has its start-up values.
void LoadText(Project* p, const std::string& text) {
  std::string path = ScratchName("load") + ".vqx";
  ASSERT_TRUE(WriteRawFile(path, text));
  p->SetFile(path);
  p->Load();
}

TEST(Project, SavesTheKeysInOrder) {
  Project p;
  std::string path = ScratchName("order") + ".vqx";
  p.SetFile(path);
  CopyText(p.record->ProjectName, VQ_TEXT_SIZE, "Demo");
  CopyText(p.record->SourceFolder, VQ_TEXT_SIZE, "C:\\Work\\Demo\\");
  CopyText(p.record->OutputFile, VQ_TEXT_SIZE, "C:\\Out\\Demo.exe");
  p.record->Checkbox1 = 1;
  p.record->CompressLevel = 9;
  p.AddEntry("C:\\Work\\Demo\\setup.exe", "*Command*", "*ShowWin*");
  ASSERT_TRUE(p.Save());
  EXPECT_EQ(
      "[Varnoquist]\r\nVersion=1.2\r\nProjectName=Demo\r\nSourceFolder=C:\\Work\\Demo\\\r\n"
      "Password=\r\nExtractionFolder=*AppDir*\\SubDirectory\r\nIconFile=\r\n"
      "OutputFile=C:\\Out\\Demo.exe\r\nCheckbox1=1\r\nCheckbox2=0\r\nCheckbox3=0\r\n"
      "CompressLevel=9\r\nOverwriteMode=0\r\nExecFile0=setup.exe\r\nCmdLine0=*Command*\r\n"
      "WinState0=*ShowWin*\r\n",
      ReadRawFile(path));
}

TEST(Project, EveryFieldSurvivesSaveAndLoad) {
  Project saved, loaded;
  CopyText(saved.record->ProjectName, VQ_TEXT_SIZE, "My Demo \xe9");
  CopyText(saved.record->SourceFolder, VQ_TEXT_SIZE, "C:\\Work\\Demo\\");
  CopyText(saved.record->Password, VQ_TEXT_SIZE, "se=cret");
  CopyText(saved.record->ExtractionFolder, VQ_TEXT_SIZE, "*ProgramFiles*\\Demo");
  CopyText(saved.record->IconFile, VQ_TEXT_SIZE, "C:\\Icons\\demo.ico");
  CopyText(saved.record->OutputFile, VQ_TEXT_SIZE, "C:\\Out\\Demo.exe");
  saved.record->Checkbox1 = saved.record->Checkbox2 = saved.record->Checkbox3 = 1;
  saved.record->CompressLevel = 7;
  saved.record->OverwriteMode = 2;
  const char* states[] = {"*ShowWin*", "*HideWin*", "*MaximizeWin*", "*MinimizeWin*"};
  for (int i = 0; i < VQ_MAX_LAUNCH; i++) {
    char file[64], cmd[32];
    snprintf(file, sizeof file, "C:\\Work\\Demo\\dir%d\\prog%d.exe", i % 5, i);
    snprintf(cmd, sizeof cmd, "-n %d", i);
    if (i % 3 == 0) cmd[0] = '\0';  // empty command lines too
    saved.AddEntry(i == 2 ? "D:\\Other\\tool.exe" : file, cmd, states[i % 4]);
  }
  std::string text;
  SaveAndLoad(&saved, &loaded, &text);
  EXPECT_NE(std::string::npos, text.find("\r\nExecFile63=dir3\\prog63.exe\r\nCmdLine63=\r\n"));
  EXPECT_EQ(std::string::npos, text.find("ExecFile64"));
  const ProjectRecord& a = *saved.record;
  const ProjectRecord& b = *loaded.record;
  EXPECT_STREQ("1.2", b.Version);
  for (auto field : {&ProjectRecord::ProjectName, &ProjectRecord::SourceFolder,
                     &ProjectRecord::Password, &ProjectRecord::ExtractionFolder,
                     &ProjectRecord::IconFile, &ProjectRecord::OutputFile})
    EXPECT_STREQ(a.*field, b.*field);
  for (auto field : {&ProjectRecord::Checkbox1, &ProjectRecord::Checkbox2,
                     &ProjectRecord::Checkbox3, &ProjectRecord::CompressLevel,
                     &ProjectRecord::OverwriteMode})
    EXPECT_EQ(a.*field, b.*field);
  ASSERT_EQ(VQ_MAX_LAUNCH, LaunchCount(loaded.launch.get()));
  for (int i = 0; i < VQ_MAX_LAUNCH; i++) {
    // Outside the source folder: stored whole, loaded behind the folder all the same.
    EXPECT_STREQ(i == 2 ? "C:\\Work\\Demo\\D:\\Other\\tool.exe" : saved.launch->ExecFile[i],
                 loaded.launch->ExecFile[i]);
    EXPECT_STREQ(saved.launch->CmdLine[i], loaded.launch->CmdLine[i]);
    EXPECT_STREQ(saved.launch->WinState[i], loaded.launch->WinState[i]);
  }
}

TEST(Project, EnclosingQuotesAndOuterBlanksAreLostOnReload) {
  const struct {
    const char* saved;
    const char* loaded;
  } cases[] = {
      {"  pass word  ", "pass word"},  {"'single'", "single"},
      {"\"C:\\My Files\\x.txt\"", "C:\\My Files\\x.txt"}, {"\"half", "\"half"},
      {"", ""},  // written as an empty value, read back empty
  };
  for (const auto& c : cases) {
    Project saved, loaded;
    CopyText(saved.record->Password, VQ_TEXT_SIZE, c.saved);
    saved.AddEntry("C:\\a.exe", c.saved, "*ShowWin*");
    CopyText(loaded.record->Password, VQ_TEXT_SIZE, "was set");
    SaveAndLoad(&saved, &loaded);
    EXPECT_STREQ(c.loaded, loaded.record->Password) << c.saved;
    EXPECT_STREQ(c.loaded, loaded.launch->CmdLine[0]) << c.saved;
  }
}

TEST(Project, LaunchListLoads) {
  const struct {
    std::string file;  // behind "[Varnoquist]\nVersion=1.2\n"
    int before;        // entries the list held before the load
    std::vector<std::string> entries;  // "file|command line|window state"
  } cases[] = {
      {"SourceFolder=C:\\W\\\r\nExecFile0=a.exe\r\nExecFile1=sub/b.exe\r\nCmdLine1=-x\r\n"
       "ExecFile3=d.exe\r\n",  // the list ends at the first gap; missing keys get defaults
       0, {"C:\\W\\a.exe|*Command*|*ShowWin*", "C:\\W\\sub\\b.exe|-x|*ShowWin*"}},
      {"SourceFolder=C:\\W\\\nExecFile0=a.exe\nExecFile1=\nExecFile2=c.exe\n",  // so does an empty one
       0, {"C:\\W\\a.exe|*Command*|*ShowWin*"}},
      {"SourceFolder=C:\\S\\\nExecFile0=new.exe\nWinState0=\n",  // a shorter list ends the old
       5, {"C:\\S\\new.exe|*Command*|"}},
      {"SourceFolder=\\\\srv\\share\\\nExecFile0=a.exe\n",  // a network folder stays doubled
       0, {"\\\\srv\\\\share\\\\a.exe|*Command*|*ShowWin*"}},
  };
  for (const auto& c : cases) {
    Project p;
    for (int i = 0; i < c.before; i++) p.AddEntry("C:\\old.exe", "", "*ShowWin*");
    RecordedMessageBoxes boxes;
    LoadText(&p, "[Varnoquist]\nVersion=1.2\n" + c.file);
    std::vector<std::string> entries;
    for (int i = 0; i < LaunchCount(p.launch.get()); i++)
      entries.push_back(std::string(p.launch->ExecFile[i]) + "|" + p.launch->CmdLine[i] + "|" +
                        p.launch->WinState[i]);
    EXPECT_EQ(c.entries, entries) << c.file;
  }
}

TEST(Project, VersionWarning) {
  const struct {
    const char* file;
    bool warns;
  } cases[] = {
      {"[Varnoquist]\nVersion=1.2\n", false},  {"[Varnoquist]\nVersion=1.20\n", true},
      {"[Varnoquist]\nVersion=\" 1.2\t\"\n", false},  // trimmed after the quotes go
      {"[Varnoquist]\nVersion=\n", true},  {"[Other]\nVersion=1.2\n", true},
      {"[Varnoquist]\nProjectName=x\n", true},  // missing: the field still says 1.0
  };
  for (const auto& c : cases) {
    Project p;
    RecordedMessageBoxes boxes;
    LoadText(&p, c.file);
    EXPECT_EQ(c.warns ? 1 : 0, boxes.count()) << c.file;
    if (c.warns) {
      EXPECT_EQ("The version of the project file you selected may not be fully supported.",
                boxes.lastText());
      EXPECT_EQ("Unsupported Project file.", boxes.lastCaption());
      EXPECT_EQ((unsigned)(PLATFORM_MB_OK | PLATFORM_MB_ICONEXCLAMATION), boxes.lastFlags());
      EXPECT_EQ(PLATFORM_OWNER_ACTIVE_WINDOW, boxes.lastOwner());
    }
  }
  // The values load all the same when it warns.
  Project q;
  RecordedMessageBoxes boxes;
  LoadText(&q, "[Varnoquist]\nVersion=0.9\nProjectName=Old\nCompressLevel=3\n");
  EXPECT_STREQ("Old", q.record->ProjectName);
  EXPECT_EQ(3, q.record->CompressLevel);
}

TEST(Project, MissingKeysKeepTheFieldsExactly) {
  Project p;
  CopyText(p.record->ProjectName, VQ_TEXT_SIZE, "\"quoted\" and blank ");
  p.record->CompressLevel = 5;
  p.record->OverwriteMode = 1;
  RecordedMessageBoxes boxes;
  LoadText(&p, "[Varnoquist]\nVersion=1.2\nPassword=new\nOverwriteMode=\n");
  EXPECT_STREQ("\"quoted\" and blank ", p.record->ProjectName);
  EXPECT_STREQ("new", p.record->Password);
  EXPECT_EQ(5, p.record->CompressLevel);
  EXPECT_EQ(1, p.record->OverwriteMode);  // an empty number counts as missing
}

// Line ends, quotes, duplicates and odd bytes are the profile services' own
// table; here, what the loader makes of a file that is mostly garbage.
TEST(Project, BadInputLoadsWithoutHarm) {
  std::string longValue(3000, 'v');
  std::string binary;
  for (int i = 0; i < 4096; i++) binary += (char)((i * 131 + 7) & 0xFF);
  const struct {
    const char* what;
    std::string file;
    const char* name;  // expected ProjectName
    int level;         // expected CompressLevel
  } cases[] = {
      {"binary", binary, "Project Name", 0},
      {"binary around a valid section",
       binary + "\n[Varnoquist]\nProjectName=Bin\nCompressLevel=4\n" + binary, "Bin", 4},
  };
  for (const auto& c : cases) {
    Project p;
    RecordedMessageBoxes boxes;
    LoadText(&p, c.file);
    EXPECT_STREQ(c.name, p.record->ProjectName) << c.what;
    EXPECT_EQ(c.level, p.record->CompressLevel) << c.what;
  }
  // Values longer than a text buffer are cut to 2047 characters.
  Project p;
  RecordedMessageBoxes boxes;
  LoadText(&p, "[Varnoquist]\nProjectName=" + longValue + "\nSourceFolder=" + longValue +
                   "\nExecFile0=" + longValue + "\nCmdLine0=" + longValue + "\n");
  EXPECT_EQ(2047u, strlen(p.record->ProjectName));
  EXPECT_EQ(2047u, strlen(p.record->SourceFolder));
  EXPECT_EQ(2047u, strlen(p.launch->CmdLine[0]));
  EXPECT_EQ(2047u, strlen(p.launch->ExecFile[0]));  // folder + value, cut to fit
}

TEST(Project, BareFileNameIsTheCurrentFolders) {
  // Not the Windows folder, where the profile services would look for it.
  Project saved;
  saved.SetFile("core-bare-name.vqx");
  CopyText(saved.record->ProjectName, VQ_TEXT_SIZE, "Bare");
  ASSERT_TRUE(saved.Save());
  EXPECT_NE(std::string::npos, ReadRawFile(".\\core-bare-name.vqx").find("ProjectName=Bare"));
  Project loaded;
  RecordedMessageBoxes boxes;
  loaded.SetFile("core-bare-name.vqx");
  loaded.Load();
  EXPECT_STREQ("Bare", loaded.record->ProjectName);
  EXPECT_EQ(0, boxes.count());
  EXPECT_TRUE(PlatformDeleteFile("core-bare-name.vqx"));
}

// The project a builder is started with, named on its command line.
TEST(Project, ProjectPathFromCommandLine) {
  std::string folder = ScratchName("cmd dir") + "\\", path = folder + "my project.vqx";
  MakeTree(folder, {{"my project.vqx", "[Varnoquist]\r\nVersion=1.2\r\nProjectName=From Tail\r\n"}});

  RecordedMessageBoxes boxes;
  const std::string tails[] = {"\"" + path + "\"", path, "\"" + path + "\" \"other.vqx\""};
  for (const std::string& tail : tails) {
    Project p;
    EXPECT_TRUE(ProjectPathFromCommandLine(tail.c_str(), p.record.get(), p.launch.get())) << tail;
    EXPECT_EQ(path, p.record->ProjectFilePath);
    EXPECT_STREQ("From Tail", p.record->ProjectName);
  }
  // Not normalised: a doubled backslash stays as given.
  std::string doubled = folder + "\\my project.vqx";
  Project d;
  EXPECT_TRUE(ProjectPathFromCommandLine(doubled.c_str(), d.record.get(), d.launch.get()));
  EXPECT_EQ(doubled, d.record->ProjectFilePath);

  const std::string misses[] = {"", "\"" + folder + "missing.vqx\"", path + " extra"};
  for (const std::string& tail : misses) {
    Project p;
    EXPECT_FALSE(ProjectPathFromCommandLine(tail.c_str(), p.record.get(), p.launch.get())) << tail;
    EXPECT_STREQ("", p.record->ProjectFilePath);
    EXPECT_STREQ("Project Name", p.record->ProjectName);
  }
  EXPECT_EQ(0, boxes.count());
}

// A save replaces the old file only when the new one is whole.
TEST(ProjectSave, HoldsOnlyTheKeysOfThisSave) {
  Project p;
  std::string folder = ScratchName("resave") + "\\";
  ASSERT_TRUE(PlatformCreateFolder(folder.c_str()));
  std::string path = folder + "demo.vqx";
  p.SetFile(path);
  CopyText(p.record->SourceFolder, VQ_TEXT_SIZE, "C:\\S\\");
  for (int i = 0; i < 6; i++) p.AddEntry("C:\\S\\x.exe", "", "*ShowWin*");
  ASSERT_TRUE(WriteRawFile(path, "[Varnoquist]\r\nStale=1\r\n[Other]\r\nKey=2\r\n"));
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

TEST(ProjectSave, FailureLeavesTheOldFileUntouched) {
  std::string folder = ScratchName("fail") + "\\";
  ASSERT_TRUE(PlatformCreateFolder(folder.c_str()));
  const std::string old = "[Varnoquist]\r\nVersion=1.2\r\nProjectName=Old\r\n";

  // The project file's name is taken by a folder: the new file cannot take
  // its place.
  std::string taken = folder + "taken.vqx";
  ASSERT_TRUE(PlatformCreateFolder(taken.c_str()));
  Project p;
  p.SetFile(taken);
  EXPECT_FALSE(p.Save());
  EXPECT_TRUE(PathExists(taken.c_str()));
  EXPECT_EQ("taken.vqx", ListFolder(folder));  // no temporary file left

  // The folder vanished.
  p.SetFile(folder + "gone\\demo.vqx");
  EXPECT_FALSE(p.Save());
  EXPECT_EQ("taken.vqx", ListFolder(folder));

  // The path's folder is a file.
  std::string plain = folder + "plain.vqx";
  ASSERT_TRUE(WriteRawFile(plain, old));
  p.SetFile(plain + "\\demo.vqx");
  EXPECT_FALSE(p.Save());
  EXPECT_EQ(old, ReadRawFile(plain));

  // No path at all.
  p.SetFile("");
  EXPECT_FALSE(p.Save());
}

}  // namespace
