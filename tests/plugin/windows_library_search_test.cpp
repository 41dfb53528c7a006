// Where the Windows plug-in finds the vendor libraries: the plug-in and the
// three virtual device DLLs are copied into a directory of their own, the
// current directory holds a planted ITCSCAN.dll, and the program sits
// elsewhere. The plug-in must load the libraries beside itself and never the
// planted one.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "scanner_interface1.h"

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

bool sameFile(const std::string& a, const std::string& b) {
  return lstrcmpiA(a.c_str(), b.c_str()) == 0;
}

TEST(WindowsLibrarySearch, VendorLibrariesComeFromBesideThePluginNotTheCurrentDirectory) {
  char temp[MAX_PATH];
  ASSERT_NE(0u, GetTempPathA(MAX_PATH, temp));
  const std::string root = makeDirectory(temp, "zorvan-library-search");
  const std::string pluginDirectory = makeDirectory(root, "plugin");
  const std::string currentDirectory = makeDirectory(root, "current");
  ASSERT_TRUE(copyInto(PLUGIN_PATH, pluginDirectory, "zorvanscanner.dll"));
  ASSERT_TRUE(copyInto(VIRTUAL_DIR "/ITCSCAN.dll", pluginDirectory, "ITCSCAN.dll"));
  ASSERT_TRUE(copyInto(VIRTUAL_DIR "/ITCAdcDevMgmt.dll", pluginDirectory, "ITCAdcDevMgmt.dll"));
  ASSERT_TRUE(copyInto(VIRTUAL_DIR "/ITCSSApi.DLL", pluginDirectory, "ITCSSApi.DLL"));
  ASSERT_TRUE(copyInto(VIRTUAL_DIR "/ITCSCAN.dll", currentDirectory, "ITCSCAN.dll"));
  ASSERT_TRUE(SetCurrentDirectoryA(currentDirectory.c_str()));
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

  EXPECT_TRUE(sameFile(pluginDirectory + "ITCSCAN.dll", loadedFrom("ITCSCAN.dll")))
      << loadedFrom("ITCSCAN.dll");
  EXPECT_TRUE(sameFile(pluginDirectory + "ITCAdcDevMgmt.dll", loadedFrom("ITCAdcDevMgmt.dll")));
  EXPECT_TRUE(sameFile(pluginDirectory + "ITCSSApi.DLL", loadedFrom("ITCSSApi.DLL")));
}

}  // namespace
