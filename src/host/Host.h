// SPDX-License-Identifier: GPL-3.0-or-later
// The narrow interface through which the core reaches the person and the platform:
// message boxes, questions, file choice, dialogs, clipboard, timers, progress, events
// from worker threads, window titles, settings and folders. The GUI implements it with
// its toolkit, pontra-cli for a terminal, and tests with a scripted host.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace pontra {

struct FileDialogRequest {
    bool save = false;
    std::string defaultExtension;  // ".clp"
    std::string filter;            // "CLP Files (*.clp) | *.clp||"
    std::string initialPath;
    // The open dialog for several files (ChooseFiles): the files selected as it opens.
    std::vector<std::string> selected;
};

struct ControllerPropertiesChoice {
    uint32_t address = 0;
    std::string type;  // "Vessa" when nothing was selected
};

class Host {
public:
    virtual ~Host() = default;

    // A message box with an OK button.
    virtual void Message(const std::string& text) = 0;
    // An OK/Cancel question: true for OK.
    virtual bool AskOkCancel(const std::string& text) = 0;
    // A Yes/No question: true for Yes.
    virtual bool AskYesNo(const std::string& text) = 0;
    // A Yes/No/Cancel question (the prompt to save changes before a project closes).
    enum class Answer { Yes, No, Cancel };
    virtual Answer AskYesNoCancel(const std::string& text) { return AskYesNo(text) ? Answer::Yes : Answer::Cancel; }
    // The open or save dialog; none when cancelled.
    virtual std::optional<std::string> ChooseFile(const FileDialogRequest& request) = 0;
    // The open dialog for one or more files; none when cancelled. A host without one
    // offers the one-file dialog.
    virtual std::optional<std::vector<std::string>> ChooseFiles(const FileDialogRequest& request) {
        std::optional<std::string> file = ChooseFile(request);
        if (!file) return std::nullopt;
        return std::vector<std::string>{*file};
    }
    // The "Controller Properties" dialog; none when cancelled.
    virtual std::optional<ControllerPropertiesChoice> ControllerPropertiesDialog(uint32_t address,
                                                                                  const std::string& type) = 0;

    // Clipboard: named formats carry bytes; plain text uses kClipboardText.
    static constexpr const char* kClipboardText = "Text";
    // Removes every format from the clipboard (before new contents are set).
    virtual void EmptyClipboard() = 0;
    virtual void SetClipboard(const std::string& format, const std::string& data) = 0;
    virtual std::optional<std::string> GetClipboard(const std::string& format) = 0;

    // Timers by id: once started, the timer handler receives the id every `milliseconds`
    // on the model's thread until the timer is stopped.
    virtual void StartTimer(int id, int milliseconds) = 0;
    virtual void StopTimer(int id) = 0;
    void SetTimerHandler(std::function<void(int)> handler) { timerHandler_ = std::move(handler); }

    // The progress bar of a long operation (the download bar).
    virtual void ShowProgress(const std::string& caption, bool visible) = 0;
    virtual void SetProgress(int position, int range) = 0;

    // Work posted from any thread runs later on the model's thread.
    virtual void Post(std::function<void()> work) = 0;
    // Runs what is pending (posted work, due timers) and returns; the core calls it where
    // it must keep the user interface alive while it waits.
    virtual void PumpEvents() = 0;
    // Waits about `milliseconds` while pumping events.
    virtual void Wait(int milliseconds) = 0;

    // Window titles, keyed by window ("main", "tags", "fb:NAME:routine", ...).
    virtual void SetTitle(const std::string& window, const std::string& title) = 0;
    // A line was added to the output window (the model keeps the lines).
    virtual void OutputLineAdded(const std::string& line) { (void)line; }
    virtual void Repaint() {}
    // Project windows, keyed as the titles are ("fb:NAME:routine", "type:NAME", ...): the
    // project tree opens a new component's windows, closes a deleted one's before the
    // component goes, and re-keys a renamed one's.
    virtual void OpenWindow(const std::string& window) { (void)window; }
    virtual void CloseWindow(const std::string& window) { (void)window; }
    virtual void RenameWindow(const std::string& window, const std::string& newKey) {
        (void)window;
        (void)newKey;
    }

    // Opens a file with the platform's default viewer for its kind (the help file);
    // false when it could not be opened.
    virtual bool OpenWithViewer(const std::string& path) = 0;

    // Per-user settings store.
    virtual std::string GetSetting(const std::string& key, const std::string& fallback) = 0;
    virtual void SetSetting(const std::string& key, const std::string& value) = 0;

    // The temporary folder and the program's own folder (no trailing separator).
    virtual std::string TempFolder() = 0;
    virtual std::string ProgramFolder() = 0;

protected:
    void DeliverTimer(int id) {
        if (timerHandler_) timerHandler_(id);
    }

private:
    std::function<void(int)> timerHandler_;
};

}  // namespace pontra
