// Where the Linux plug-in finds the vendor libraries. Each case runs this
// program again as a fresh process (the dynamic loader reads
// LD_LIBRARY_PATH once, at start), in a directory and with an environment
// of the case's own; that process loads a plug-in by path, makes an object
// and says whether it found the driver and from which file.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "scanner_interface1.h"

namespace {

namespace fs = std::filesystem;

// AddressSanitizer and ThreadSanitizer intercept dlopen and call the real
// one from their own run-time library, so the dynamic loader applies that
// library's run path, not the plug-in's, to what the plug-in opens: in
// those builds the plug-in cannot find the vendor libraries beside itself.
#if defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define DLOPEN_INTERCEPTED 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define DLOPEN_INTERCEPTED 1
#endif

const char* const kVendorLibraries[] = {"libITCSCAN.so", "libITCAdcDevMgmt.so", "libITCSSApi.so"};
constexpr const char* kProbeOption = "--probe-plugin";

// The child: loads the plug-in, prints "opened <driver file>" when the
// object found the driver and DeviceConfig (the defaults are in force),
// otherwise "half-open <driver file or ->".
int probe(const char* pluginPath) {
  void* plugin = dlopen(pluginPath, RTLD_NOW | RTLD_LOCAL);
  if (plugin == nullptr) {
    printf("no plug-in: %s\n", dlerror());
    return 1;
  }
  auto newScanner = reinterpret_cast<NewScannerFunction>(dlsym(plugin, "NewScanner"));
  ScannerInterface1* scanner = newScanner != nullptr ? newScanner() : nullptr;
  if (scanner == nullptr) return 1;
  const bool opened = scanner->GetToneFrequency(40) == 3000;
  delete scanner;
  std::string driverFile = "-";
  void* driver = dlopen(kVendorLibraries[0], RTLD_NOW | RTLD_NOLOAD);
  Dl_info info;
  void* open = driver != nullptr ? dlsym(driver, "ITCSCAN_Open") : nullptr;
  if (open != nullptr && dladdr(open, &info) != 0) driverFile = info.dli_fname;
  printf("%s %s\n", opened ? "opened" : "half-open", driverFile.c_str());
  return 0;
}

class LinuxLibrarySearchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/zorvan-library-search-XXXXXX";
    ASSERT_NE(nullptr, mkdtemp(pattern));
    root = pattern;
    current = root / "current";
    pluginDirectory = root / "plugin";
    fs::create_directories(current);
    fs::create_directories(pluginDirectory);
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(root, ignored);
  }

  static void copyVendorLibrariesInto(const fs::path& directory) {
    for (const char* name : kVendorLibraries) {
      fs::copy_file(fs::path(VIRTUAL_DIR) / name, directory / name,
                    fs::copy_options::overwrite_existing);
    }
  }

  // What the child printed, run in `current` with LD_LIBRARY_PATH set to
  // `libraryPath` (left out when empty) and nothing else in its environment.
  std::string runProbe(const std::string& pluginPath, const std::string& libraryPath) {
    int out[2];
    if (pipe(out) != 0) return "no pipe";
    const pid_t child = fork();
    if (child == 0) {
      dup2(out[1], STDOUT_FILENO);
      close(out[0]);
      close(out[1]);
      if (chdir(current.c_str()) != 0) _exit(2);
      std::string self = fs::read_symlink("/proc/self/exe");
      const std::string variable = "LD_LIBRARY_PATH=" + libraryPath;
      char* const argv[] = {self.data(), const_cast<char*>(kProbeOption),
                            const_cast<char*>(pluginPath.c_str()), nullptr};
      char* const withPath[] = {const_cast<char*>(variable.c_str()), nullptr};
      char* const withoutPath[] = {nullptr};
      execve(self.c_str(), argv, libraryPath.empty() ? withoutPath : withPath);
      _exit(3);
    }
    close(out[1]);
    std::string printed;
    char buffer[512];
    ssize_t n;
    while ((n = read(out[0], buffer, sizeof buffer)) > 0) printed.append(buffer, n);
    close(out[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) printed += " (child failed)";
    return printed;
  }

  fs::path root, current, pluginDirectory;
};

struct SearchCase {
  const char* name;
  bool besidePlugin;   // the plug-in copied beside the libraries, else the build tree's
  bool onLibraryPath;  // LD_LIBRARY_PATH names the virtual device's directory
  const char* found;   // where the driver must come from: "beside", "path", or "" for nowhere
};

void PrintTo(const SearchCase& c, std::ostream* out) { *out << c.name; }

const SearchCase kCases[] = {
    // The libraries only in the current directory: never loaded from there.
    {"OnlyInTheCurrentDirectory", false, false, ""},
    {"OnTheLibraryPath", false, true, "path"},
    {"BesideThePlugin", true, false, "beside"},
};

class LinuxLibrarySearchCaseTest : public LinuxLibrarySearchTest,
                                   public ::testing::WithParamInterface<SearchCase> {};

TEST_P(LinuxLibrarySearchCaseTest, DriverComesFromTheExpectedPlace) {
  const SearchCase& c = GetParam();
#if defined(DLOPEN_INTERCEPTED)
  if (c.besidePlugin)
    GTEST_SKIP() << "the sanitizer's dlopen does not apply the plug-in's run path";
#endif
  copyVendorLibrariesInto(current);
  std::string pluginPath = PLUGIN_PATH;
  if (c.besidePlugin) {
    copyVendorLibrariesInto(pluginDirectory);
    pluginPath = (pluginDirectory / "libzorvanscanner.so").string();
    fs::copy_file(PLUGIN_PATH, pluginPath);
  }
  const std::string expectedFile = std::string(c.found) == "beside"
                                       ? (pluginDirectory / kVendorLibraries[0]).string()
                                       : (fs::path(VIRTUAL_DIR) / kVendorLibraries[0]).string();
  const std::string expected =
      *c.found != '\0' ? "opened " + expectedFile + "\n" : std::string("half-open -\n");
  EXPECT_EQ(expected, runProbe(pluginPath, c.onLibraryPath ? VIRTUAL_DIR : ""));
}

INSTANTIATE_TEST_SUITE_P(Places, LinuxLibrarySearchCaseTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<SearchCase>& p) {
                           return std::string(p.param.name);
                         });

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == kProbeOption) return probe(argv[2]);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
