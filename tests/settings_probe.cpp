// A stand-in program for the settings tests that need a real executable: it finds its settings file
// beside itself, as the program does.
//   settings_probe path            print the settings file's path
//   settings_probe load            load, then print "top=T left=L edit1=TEXT"
//   settings_probe save TOP TEXT   save with Top = TOP and field 1 = TEXT
//   settings_probe save-loop       print "ready", then save forever, switching between two
//                                  complete sets of values (the kill-during-save test)
//   settings_probe hold FILE       (Windows) hold the file open as a sync client does, from
//                                  setting the event PalvorenProbeHolding until
//                                  PalvorenProbeRelease is set
//   settings_probe lock FILE MS    (Windows) hold the file for MS milliseconds as a virus scanner
//                                  does, sharing nothing; print "locked" once it holds it
#ifdef _WIN32
#include <windows.h>
#endif

#include <iostream>
#include <string>

#include "save_loop.h"
#include "settings/settings_path.h"
#include "standings/int_text.h"
#include "test_support.h"

int main(int argc, char** argv) {
    using namespace palvoren;
    const std::string mode = argc > 1 ? argv[1] : "";
    try {
        if (mode == "path") {
            std::cout << SettingsFilePath() << "\n";
        } else if (mode == "load") {
            test::FakeWindow window;
            LoadSettings(window, SettingsFilePath());
            std::cout << "top=" << window.top << " left=" << window.left
                      << " edit1=" << window.fields[1] << "\n";
        } else if (mode == "save" && argc == 4) {
            test::FakeWindow window;
            window.top = TextToInt(argv[2]);
            window.fields[1] = argv[3];
            SaveSettings(window, SettingsFilePath());
        } else if (mode == "save-loop") {
            std::cout << "ready" << std::endl;
            for (int generation = 0;; generation ^= 1) {
                SaveSettings(test::SaveLoopWindow(generation), SettingsFilePath());
            }
#ifdef _WIN32
        } else if (mode == "hold" && argc == 3) {
            // Reading, sharing reading and writing but not the file's removal.
            const HANDLE file =
                ::CreateFileA(argv[2], GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
            if (file == INVALID_HANDLE_VALUE)
                return 1;
            ::SetEvent(::OpenEventW(EVENT_MODIFY_STATE, FALSE, L"PalvorenProbeHolding"));
            ::WaitForSingleObject(::OpenEventW(SYNCHRONIZE, FALSE, L"PalvorenProbeRelease"), 60000);
            ::CloseHandle(file);
        } else if (mode == "lock" && argc == 4) {
            const HANDLE file =
                ::CreateFileA(argv[2], GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
            if (file == INVALID_HANDLE_VALUE)
                return 1;
            std::cout << "locked" << std::endl;
            ::Sleep(static_cast<DWORD>(TextToInt(argv[3])));
            ::CloseHandle(file);
#endif
        } else {
            std::cerr << "usage: settings_probe path | load | save TOP TEXT | save-loop\n";
            return 2;
        }
    } catch (const std::exception& error) {
        std::cerr << error.what() << "\n";
        return 1;
    }
    return 0;
}
