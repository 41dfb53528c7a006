// The Windows plug-in loaded from a directory of its own.
//
// Where it finds the vendor libraries: the plug-in and the three virtual
// device DLLs are copied into that directory, and the program sits
// elsewhere. On desktop Windows the current directory holds a planted
// ITCSCAN.dll, and the plug-in must load the libraries beside itself and
// never the planted one. Built for CE (which has no current directory) the
// plug-in takes the system's standard search order first: with the
// libraries on the path it loads those, and only without them the ones
// beside itself.
//
// The module pin: a scan thread stuck in the driver outlives its object, and
// the plug-in's code must stay mapped after the host's last FreeLibrary,
// whatever the length of the plug-in's path (on CE, where paths are at most
// MAX_PATH long, by the plug-in's own path).
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "library_loader.h"
#include "scanner_interface1.h"
#include "virtual_device.h"

namespace {

std::string makeDirectory(const std::string& parent, const char* name) {
  const std::string path = parent + name;
  CreateDirectoryA(path.c_str(), nullptr);
  return path + "\\";
}

bool copyInto(const char* file, const std::string& directory, const char* name) {
  return CopyFileA(file, (directory + name).c_str(), FALSE) != 0;
}

std::string loadedFrom(const char* name) {
  HMODULE module = GetModuleHandleA(name);
  if (module == nullptr) return "";
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(module, path, MAX_PATH);
  return std::string(path, length);
}

std::string backslashed(std::string path) {
  for (char& c : path) c = c == '/' ? '\\' : c;
  return path;
}

bool sameFile(const std::string& a, const std::string& b) {
  return lstrcmpiA(backslashed(a).c_str(), backslashed(b).c_str()) == 0;
}

// Loads the plug-in copied alone into a fresh directory (with the vendor
// libraries beside it when `besideIt`), creates an object and checks that
// it found the driver and DeviceConfig.
void createThroughPluginIn(const std::string& pluginDirectory, bool besideIt) {
  ASSERT_TRUE(copyInto(PLUGIN_PATH, pluginDirectory, "zorvanscanner.dll"));
  if (besideIt) {
    ASSERT_TRUE(copyInto(VIRTUAL_DIR "/ITCSCAN.dll", pluginDirectory, "ITCSCAN.dll"));
    ASSERT_TRUE(copyInto(VIRTUAL_DIR "/ITCAdcDevMgmt.dll", pluginDirectory, "ITCAdcDevMgmt.dll"));
    ASSERT_TRUE(copyInto(VIRTUAL_DIR "/ITCSSApi.DLL", pluginDirectory, "ITCSSApi.DLL"));
  }
  ASSERT_EQ(nullptr, GetModuleHandleA("ITCSCAN.dll"));
  HMODULE plugin = LoadLibraryA((pluginDirectory + "zorvanscanner.dll").c_str());
  ASSERT_NE(nullptr, plugin) << GetLastError();
  auto newScanner = reinterpret_cast<NewScannerFunction>(
      reinterpret_cast<void*>(GetProcAddress(plugin, "NewScanner")));
  ASSERT_NE(nullptr, newScanner);
  ScannerInterface1* scanner = newScanner();
  ASSERT_NE(nullptr, scanner);
  // The driver and DeviceConfig were found: defaults are in force.
  EXPECT_EQ(3000, scanner->GetToneFrequency(40));
  EXPECT_EQ(ResultOk, scanner->EnableScanner());
  EXPECT_EQ(ResultOk, scanner->DisableScanner());
  delete scanner;
}

void expectLoadedFrom(const std::string& directory) {
  EXPECT_TRUE(sameFile(directory + "ITCSCAN.dll", loadedFrom("ITCSCAN.dll")))
      << loadedFrom("ITCSCAN.dll");
  EXPECT_TRUE(sameFile(directory + "ITCAdcDevMgmt.dll", loadedFrom("ITCAdcDevMgmt.dll")))
      << loadedFrom("ITCAdcDevMgmt.dll");
  EXPECT_TRUE(sameFile(directory + "ITCSSApi.DLL", loadedFrom("ITCSSApi.DLL")))
      << loadedFrom("ITCSSApi.DLL");
}

std::string freshRoot() {
  char temp[MAX_PATH];
  EXPECT_NE(0u, GetTempPathA(MAX_PATH, temp));
  return makeDirectory(temp, "zorvan-library-search");
}

#if !defined(ZORVAN_CE_FLAVOUR)

TEST(WindowsLibrarySearch, VendorLibrariesComeFromBesideThePluginNotTheCurrentDirectory) {
  const std::string root = freshRoot();
  const std::string pluginDirectory = makeDirectory(root, "plugin");
  const std::string currentDirectory = makeDirectory(root, "current");
  ASSERT_TRUE(copyInto(VIRTUAL_DIR "/ITCSCAN.dll", currentDirectory, "ITCSCAN.dll"));
  ASSERT_TRUE(SetCurrentDirectoryA(currentDirectory.c_str()));
  createThroughPluginIn(pluginDirectory, true);
  expectLoadedFrom(pluginDirectory);
}

#else

TEST(WindowsLibrarySearch, VendorLibrariesComeFromTheStandardSearchOrderFirst) {
  const std::string pluginDirectory = makeDirectory(freshRoot(), "plugin-alone");
  createThroughPluginIn(pluginDirectory, false);
  expectLoadedFrom(VIRTUAL_DIR "\\");
}

TEST(WindowsLibrarySearch, VendorLibrariesComeFromBesideThePluginWhenNotOnThePath) {
  zorvan_test::takeOffSearchPath(VIRTUAL_DIR);
  const std::string pluginDirectory = makeDirectory(freshRoot(), "plugin-beside");
  createThroughPluginIn(pluginDirectory, true);
  expectLoadedFrom(pluginDirectory);
}

#endif

// `path` with backslashes, in UTF-16, in the form that lifts MAX_PATH.
std::wstring extendedPath(const std::string& path) {
  std::wstring wide = L"\\\\?\\";
  for (char c : path) wide += static_cast<wchar_t>(c == '/' ? '\\' : c);
  return wide;
}

template <typename Function>
Function* virtualDeviceFunction(Function*, const char* name) {
  return reinterpret_cast<Function*>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ITCSCAN.dll"), name)));
}

// The plug-in copied `levels` directories of 90 characters deep.
void pinHoldsForAPluginIn(int levels) {
  char temp[MAX_PATH];
  ASSERT_NE(0u, GetTempPathA(MAX_PATH, temp));
  std::wstring directory = extendedPath(std::string(temp) + "zorvan-module-pin");
  CreateDirectoryW(directory.c_str(), nullptr);
  for (int level = 0; level < levels; ++level) {
    directory += L"\\" + std::wstring(90, static_cast<wchar_t>('a' + level));
    CreateDirectoryW(directory.c_str(), nullptr);
  }
  const std::wstring plugin = directory + L"\\zorvanscanner.dll";
  if (levels == 3) {
    ASSERT_GT(plugin.size(), 4u + MAX_PATH);
  }
  if (!CopyFileW(extendedPath(PLUGIN_PATH).c_str(), plugin.c_str(), FALSE)) {
    GTEST_SKIP() << "no file can be made at a path this long here: " << GetLastError();
  }
  // The vendor libraries are loaded first, so the plug-in takes those.
  for (const char* part : {"/ITCSCAN.dll", "/ITCAdcDevMgmt.dll", "/ITCSSApi.DLL"}) {
    ASSERT_NE(nullptr, LoadLibraryA((std::string(VIRTUAL_DIR) + part).c_str())) << part;
  }
  HMODULE module = LoadLibraryW(plugin.c_str());
  if (module == nullptr) {
    GTEST_SKIP() << "no library can be loaded from a path this long here: " << GetLastError();
  }
  auto newScanner = reinterpret_cast<NewScannerFunction>(
      reinterpret_cast<void*>(GetProcAddress(module, "NewScanner")));
  auto ignoreCancel =
      virtualDeviceFunction(&vdev_scan_set_ignore_cancel, "vdev_scan_set_ignore_cancel");
  auto waitBlocked = virtualDeviceFunction(&vdev_scan_wait_blocked, "vdev_scan_wait_blocked");
  auto releaseReads = virtualDeviceFunction(&vdev_scan_release_reads, "vdev_scan_release_reads");
  ASSERT_TRUE(newScanner != nullptr && ignoreCancel != nullptr && waitBlocked != nullptr &&
              releaseReads != nullptr);

  ScannerInterface1* scanner = newScanner();
  ASSERT_EQ(ResultOk, scanner->EnableScanner());
  ASSERT_EQ(1, waitBlocked(1, 5000));
  ignoreCancel(1);
  delete scanner;  // waits, then leaves the stuck thread running
  ASSERT_TRUE(FreeLibrary(module));

  HMODULE stillMapped = nullptr;
  ASSERT_TRUE(GetModuleHandleExW(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCWSTR>(newScanner), &stillMapped));
  EXPECT_EQ(module, stillMapped);
  // Only now may the thread run on into the plug-in's code; given a moment
  // to end there, a fault would show in this test.
  releaseReads(VDEV_READ_CANCELLED);
  Sleep(100);
}

#if !defined(ZORVAN_CE_FLAVOUR)
TEST(WindowsModulePin, HoldsForAPluginInADirectoryLongerThanMaxPath) { pinHoldsForAPluginIn(3); }
#else
// CE paths are at most MAX_PATH long; the pin is taken by the plug-in's path.
TEST(WindowsModulePin, HoldsByThePluginsOwnPath) { pinHoldsForAPluginIn(1); }
#endif

}  // namespace
