// The results snapshot and the report writer: layout byte for byte, the name rule, and
// writing that fails honestly.
#include "run_state_fixture.h"

#include <signal.h>
#include <sys/resource.h>

namespace {

class ReportTest : public RunStateTest {
 protected:
  static AsioSummary summary(const char* name, int outputs, int inputs) {
    AsioSummary s{};
    std::snprintf(s.driverName, sizeof s.driverName, "%s", name);
    s.outputCount = outputs;
    s.inputCount = inputs;
    s.sampleRate = 44100.0;
    s.outputLatency = 512;
    s.inputLatency = 256;
    return s;
  }

  // A section source that counts how often it was asked.
  static inline int audioAsked = 0;
  static bool describeTwoPairs(AsioSummary& s) {
    ++audioAsked;
    s = summary("Velk ASIO", 4, 4);
    return true;
  }

  static std::string withExtension(const char* name) {
    char buffer[260];
    std::snprintf(buffer, sizeof buffer, "%s", name);
    applyReportExtension(buffer, sizeof buffer);
    return buffer;
  }

  static std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  static std::string lines(std::initializer_list<const char*> list) {
    std::string text;
    for (const char* line : list) {
      text += std::string(line) + "\r\n";
    }
    return text;
  }
};

TEST_F(ReportTest, UnitWithoutAudioTwoNotesOnChannel1) {
  controlMap.noteDefined[channelIndex(1, 0)] = 1;
  controlMap.noteDefined[channelIndex(1, 127)] = 1;
  controlMap.noteTested[channelIndex(1, 0)].set(1);
  snapshotResults(kStepNoteTest);
  for (int i = 0; i < kControlCount; ++i) {
    controllerResults.entry[i] = -1;  // step 4 ran with nothing defined
  }
  const std::string expected =
      lines({"", "[Midi Note Test]", "", "Note 1 Channel 1,Tested OK",
             "Note 128 Channel 1,Not Tested", "", "[Midi Controller Test]", "", "<Not Tested>", "",
             "[Midi Note Rx Test]", "", "<Not Tested>"});
  EXPECT_EQ(composeReport(nullptr), expected);
  const AsioSummary noPairs = summary("Velk ASIO", 1, 1);
  EXPECT_EQ(composeReport(&noPairs), expected);

  const std::string path = folder() + "/results.txt";
  ASSERT_TRUE(writeReportFile(path.c_str(), nullptr));
  EXPECT_EQ(readFile(path), expected);
}

TEST_F(ReportTest, AsioSectionComesFirst) {
  const std::string sections =
      lines({"", "[Midi Note Test]", "", "<Not Tested>", "", "[Midi Controller Test]", "",
             "<Not Tested>", "", "[Midi Note Rx Test]", "", "<Not Tested>"});
  AsioSummary named = summary("Velk ASIO", 5, 2);
  named.sampleRate = 44099.9;
  EXPECT_EQ(composeReport(&named),
            lines({"", "[ASIO Driver]", "", "Velk ASIO", "4 Output Channels (2 x 2)",
                   "2 Input Channels (1 x 2)", "", "Audio Frequency 44099 Hz", "",
                   "Output Latency 512 samples", "Input Latency 256 samples", ""}) +
                sections);
  const AsioSummary unnamed = summary("", 0, 8);
  EXPECT_EQ(composeReport(&unnamed),
            lines({"", "[ASIO Driver]", "0 Output Channels (0 x 2)", "8 Input Channels (4 x 2)", "",
                   "Audio Frequency 44100 Hz", "", "Output Latency 512 samples",
                   "Input Latency 256 samples", ""}) +
                sections);
}

TEST_F(ReportTest, SectionsListMixedOutcomesAndSummariseUniformOnes) {
  for (int i = 0; i < kControlCount; ++i) {
    noteResults.entry[i] = -1;
    controllerResults.entry[i] = -1;
    receiveResults.entry[i] = 0;
  }
  noteResults.entry[3] = 1;
  noteResults.entry[channelIndex(16, 127)] = 1;
  controllerResults.entry[0] = 1;
  controllerResults.entry[127] = 0;
  controllerResults.entry[channelIndex(16, 5)] = 0;
  controllerResults.entry[channelIndex(2, 9)] = 1;
  EXPECT_EQ(composeReport(nullptr),
            lines({"", "[Midi Note Test]", "", "<Test Completed OK>", "", "[Midi Controller Test]",
                   "", "Controller 1,Tested OK", "Controller 128,Not Tested",
                   "Controller 10 Channel 2,Tested OK", "Controller 6 Channel 16,Not Tested", "",
                   "[Midi Note Rx Test]", "", "<Not Tested>"}));
}

TEST_F(ReportTest, SnapshotTakesPartFromDefinitionsAndIgnoresTheFilter) {
  controlMap.noteDefined[10] = 1;
  controlMap.noteDefined[channelIndex(2, 44)] = 1;
  controlMap.receiveFlag[channelIndex(2, 44)] = 1;
  controlMap.noteTested[10].set(1);
  controlMap.noteTested[channelIndex(2, 44)].set(1);
  controlMap.noteTested[11].set(1);  // undefined entry marked by a stray note
  selectOnlyChannel(2);
  snapshotResults(kStepNoteRxTest);
  EXPECT_EQ(receiveResults.entry[10], -1);
  EXPECT_EQ(receiveResults.entry[channelIndex(2, 44)], 1);
  EXPECT_EQ(receiveResults.entry[11], -1);
  EXPECT_EQ(noteResults.entry[10], 0);  // untouched outside its step

  controlMap.controllerDefined[7] = 1;
  snapshotResults(kStepControllerTest);
  EXPECT_EQ(controllerResults.entry[7], 0);  // excluded by the page, still reported
  controllerResults.entry[7] = 1;
  snapshotResults(kStepAudioOut);
  EXPECT_EQ(controllerResults.entry[7], 1);
}

TEST_F(ReportTest, ReportNameEndsInTxt) {
  EXPECT_EQ(withExtension("results"), "results.txt");
  EXPECT_EQ(withExtension("results.doc"), "results.txt");
  EXPECT_EQ(withExtension("results.html"), "results.html.txt");
  EXPECT_EQ(withExtension("a.tx"), "a.tx.txt");
  EXPECT_EQ(withExtension("x.txt"), "x.txt");
  EXPECT_EQ(withExtension(""), ".txt");

  char longName[260];
  std::memset(longName, 'n', 255);
  longName[255] = '\0';
  applyReportExtension(longName, sizeof longName);
  EXPECT_EQ(std::strlen(longName), 259u);

  // Never past capacity: the guard bytes after it stay as they were.
  char small[12];
  std::memset(small, '#', sizeof small);
  std::memcpy(small, "abcdefg", 8);
  applyReportExtension(small, 8);
  EXPECT_EQ(std::string(small), "abc.txt");
  EXPECT_EQ(std::string(small + 8, 4), "####");
}

TEST_F(ReportTest, WriterReplacesFilesAndFailsHonestly) {
  const std::string path = folder() + "/results.txt";
  writeFile("results.txt", std::string(10000, 'x'));
  ASSERT_TRUE(writeReportFile(path.c_str(), nullptr));
  EXPECT_EQ(readFile(path), composeReport(nullptr));

  // The section's values (the driver's name among them) are asked only once the file is
  // there to take them.
  audioAsked = 0;
  EXPECT_FALSE(writeReportFile((folder() + "/missing/results.txt").c_str(), describeTwoPairs));
  EXPECT_FALSE(std::filesystem::exists(folder() + "/missing"));
  std::filesystem::create_directory(folder() + "/dir.txt");
  EXPECT_FALSE(writeReportFile((folder() + "/dir.txt").c_str(), describeTwoPairs));
  EXPECT_EQ(audioAsked, 0);
  ASSERT_TRUE(writeReportFile(path.c_str(), describeTwoPairs));
  EXPECT_EQ(audioAsked, 1);
  const AsioSummary twoPairs = summary("Velk ASIO", 4, 4);
  EXPECT_EQ(readFile(path), composeReport(&twoPairs));
  // A device that takes the open but not the bytes: the failure shows at the close.
  if (std::filesystem::exists("/dev/full")) {
    EXPECT_FALSE(writeReportFile("/dev/full", nullptr));
  }
}

// A disk that fills up part-way through the report: the file size limit stands in for it.
// The bytes that reached the file go again, so no cut report is left under its name.
TEST_F(ReportTest, ReportCutShortLeavesNoFile) {
  for (int i = 0; i < kControlCount; ++i) {
    noteResults.entry[i] = static_cast<int16_t>(i % 2);  // a long list: well over the limit
  }
  const std::string path = folder() + "/results.txt";
  writeFile("results.txt", "an older report");
  rlimit previous;
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &previous), 0);
  rlimit small = previous;
  small.rlim_cur = 100;
  void (*handler)(int) = signal(SIGXFSZ, SIG_IGN);  // a write past the limit fails instead
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const bool written = writeReportFile(path.c_str(), nullptr);
  setrlimit(RLIMIT_FSIZE, &previous);
  signal(SIGXFSZ, handler);
  EXPECT_FALSE(written);
  EXPECT_FALSE(std::filesystem::exists(path));

  // The same report, once there is room, is written whole.
  ASSERT_TRUE(writeReportFile(path.c_str(), nullptr));
  EXPECT_EQ(readFile(path), composeReport(nullptr));
}

}  // namespace
