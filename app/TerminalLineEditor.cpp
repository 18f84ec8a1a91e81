#include "app/TerminalLineEditor.h"

#include <csignal>
#include <histedit.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <clocale>
#include <csignal>
#include <cstdio>
#include <cwchar>
#include <utility>

#include "app/Completion.h"
#include "app/ConsoleHistory.h"

namespace app {
namespace {

constexpr int kDefaultColumns = 80;

// Set by the signal handlers, read by Read(). Ctrl+C clears the line instead of ending the
// run; a new terminal size is told to libedit; after a stop (Ctrl+Z) and `fg`, the terminal
// is set up for editing again, as the shell may have changed it meanwhile.
volatile sig_atomic_t interrupted = 0;
volatile sig_atomic_t resized = 0;
volatile sig_atomic_t resumed = 0;

void OnInterrupt(int) { interrupted = 1; }
void OnResize(int) { resized = 1; }
void OnResume(int) { resumed = 1; }

int TerminalColumns() {
    winsize size{};
    if (ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
    return kDefaultColumns;
}

// How many columns `text` takes on the terminal, as libedit draws it: control characters
// as ^X, other characters by their width.
int DisplayWidth(const std::string& text) {
    int width = 0;
    std::mbstate_t state{};
    const char* next = text.data();
    const char* end = next + text.size();
    while (next < end) {
        wchar_t character = 0;
        // NOLINTNEXTLINE(concurrency-mt-unsafe): safe with a state of its own, as here
        const std::size_t length = std::mbrtowc(&character, next, static_cast<std::size_t>(end - next), &state);
        if (length == static_cast<std::size_t>(-1) || length == static_cast<std::size_t>(-2)) {
            width += 4; // an invalid byte shows as \ooo
            state = std::mbstate_t{};
            ++next;
            continue;
        }
        next += length == 0 ? 1 : length;
        const int columns = wcwidth(character);
        width += columns < 0 ? 2 : columns;
    }
    return width;
}

void WriteError(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
}

bool InputWaiting(int milliseconds) {
    pollfd request{STDIN_FILENO, POLLIN, 0};
    return poll(&request, 1, milliseconds) > 0 && (request.revents & (POLLIN | POLLHUP | POLLERR)) != 0;
}

} // namespace

// Installs a handler without SA_RESTART, so a waiting poll() returns at once; puts the
// previous one back when it goes.
class ScopedSignalHandler {
public:
    ScopedSignalHandler(int signal, void (*handler)(int)) : signal(signal) {
        struct sigaction action {};
        action.sa_handler = handler;
        sigemptyset(&action.sa_mask);
        sigaction(signal, &action, &previous);
    }
    ~ScopedSignalHandler() { sigaction(signal, &previous, nullptr); }
    ScopedSignalHandler(const ScopedSignalHandler&) = delete;
    ScopedSignalHandler& operator=(const ScopedSignalHandler&) = delete;

private:
    int signal;
    struct sigaction previous {};
};

TerminalLineEditor::TerminalLineEditor(std::string promptText, const std::vector<std::string>& earlier,
                                       Names completionNames)
    : prompt(std::move(promptText)), names(std::move(completionNames)),
      interruptHandler(std::make_unique<ScopedSignalHandler>(SIGINT, &OnInterrupt)),
      resizeHandler(std::make_unique<ScopedSignalHandler>(SIGWINCH, &OnResize)),
      resumeHandler(std::make_unique<ScopedSignalHandler>(SIGCONT, &OnResume)), entries(history_init(), history_end),
      editor(nullptr, el_end) {
    interrupted = 0;
    resized = 0;
    resumed = 0;
    plain = !isatty(STDERR_FILENO);
    if (plain) return;
    // libedit reads and draws characters in the locale's encoding (UTF-8 on a usual terminal).
    // Set once, before the prompt reads; no other thread of the host program reads the locale.
    std::setlocale(LC_CTYPE, ""); // NOLINT(concurrency-mt-unsafe)

    HistEvent event;
    history(entries.get(), &event, H_SETSIZE, static_cast<int>(ConsoleHistory::kMaxEntries));
    for (const std::string& line : earlier) history(entries.get(), &event, H_ENTER, line.c_str());

    editor.reset(el_init("postplay-host", stdin, stderr, stderr));
    EditLine* el = editor.get();
    el_set(el, EL_EDITOR, "emacs");
    el_set(el, EL_CLIENTDATA, static_cast<void*>(this));
    el_set(el, EL_PROMPT, &TerminalLineEditor::PromptText);
    el_set(el, EL_HIST, history, entries.get());
    el_set(el, EL_GETCFN, &TerminalLineEditor::ReadCharacter);
    // The wide form keeps these (static) names as they are; the narrow one copies them and
    // never frees the copies.
    el_wset(el, EL_ADDFN, L"postplay-complete", L"complete a command or variable name",
            &TerminalLineEditor::CompleteKey);
    el_wset(el, EL_ADDFN, L"postplay-end-or-delete", L"end the input on an empty line, else delete",
            &TerminalLineEditor::EndOrDeleteKey);
    el_set(el, EL_BIND, "^I", "postplay-complete", nullptr);
    el_set(el, EL_BIND, "^D", "postplay-end-or-delete", nullptr);
    el_source(el, nullptr); // the user's own ~/.editrc, as other programs read it
}

TerminalLineEditor::~TerminalLineEditor() {
    if (shown) {
        if (!plain) Finish();
        WriteError("\n"); // leave the shell's prompt a fresh line
    }
}

TerminalLineEditor& TerminalLineEditor::Of(EditLine* el) {
    void* data = nullptr;
    el_get(el, EL_CLIENTDATA, &data);
    return *static_cast<TerminalLineEditor*>(data);
}

char* TerminalLineEditor::PromptText(EditLine* el) { return Of(el).prompt.data(); }

TerminalLineEditor::Input TerminalLineEditor::Read(int milliseconds) {
    if (plain) return ReadPlain(milliseconds);
    Show();
    HandleSignals();
    Input input;
    if (!InputWaiting(milliseconds)) {
        HandleSignals();
        return input;
    }
    // Handle every key already typed (or pasted), one at a time. An empty line also comes
    // back as no text, so the end of the input is told by the flags, not by the result.
    do {
        int count = 0;
        const char* text = el_gets(editor.get(), &count);
        if (endAsked || inputClosed) {
            input.kind = Input::End;
            return input;
        }
        if (text && count > 0 && text[count - 1] == '\n') {
            input.kind = Input::Line;
            input.line.assign(text, static_cast<std::size_t>(count - 1));
            Finish();
            return input;
        }
    } while (InputWaiting(0) && !interrupted);
    return input;
}

// Ctrl+C (also when pressed while a command ran) clears the line; a new terminal size is
// told to libedit; after a stop, the terminal goes back to editing mode and the line is
// drawn again.
void TerminalLineEditor::HandleSignals() {
    if (interrupted) ClearLine();
    if (resized) {
        resized = 0;
        el_resize(editor.get());
    }
    if (resumed) {
        resumed = 0;
        el_set(editor.get(), EL_PREP_TERM, 0); // libedit sets raw mode only from its usual one
        el_set(editor.get(), EL_PREP_TERM, 1);
        el_set(editor.get(), EL_REFRESH);
    }
}

void TerminalLineEditor::Remember(const std::string& line) {
    if (plain) return;
    HistEvent event;
    history(entries.get(), &event, H_ENTER, line.c_str());
}

void TerminalLineEditor::PrintAbove(const std::function<void()>& print) {
    const bool wasShown = shown;
    if (wasShown && !plain) Hide();
    print();
    if (wasShown && plain)
        WriteError(prompt);
    else if (wasShown)
        el_set(editor.get(), EL_REFRESH);
}

// The terminal's own line editing: what it hands over is split into lines. At the end of
// the input, a last line without its line break still counts.
TerminalLineEditor::Input TerminalLineEditor::ReadPlain(int milliseconds) {
    if (interrupted) {
        interrupted = 0; // the terminal has dropped the line itself
        WriteError("\n");
        shown = false;
    }
    if (!shown) {
        WriteError(prompt);
        shown = true;
    }
    Input input;
    bool whole = TakePendingLine(input.line);
    if (!whole && !inputClosed && InputWaiting(milliseconds)) {
        char buffer[4096];
        const ssize_t count = read(STDIN_FILENO, buffer, sizeof buffer);
        if (count > 0)
            pending.append(buffer, static_cast<std::size_t>(count));
        else if (count == 0 || errno != EINTR)
            inputClosed = true;
        whole = TakePendingLine(input.line);
    }
    if (whole) {
        input.kind = Input::Line;
    } else if (inputClosed) {
        input.kind = pending.empty() ? Input::End : Input::Line;
        input.line = std::exchange(pending, std::string());
    }
    if (input.kind == Input::Line) shown = false;
    return input;
}

bool TerminalLineEditor::TakePendingLine(std::string& line) {
    const std::size_t end = pending.find('\n');
    if (end == std::string::npos) return false;
    line = pending.substr(0, end);
    pending.erase(0, end + 1);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return true;
}

// Puts the prompt up and the terminal in editing mode, with an empty line.
void TerminalLineEditor::Show() {
    if (shown) return;
    el_set(editor.get(), EL_UNBUFFERED, 1);
    shown = true;
}

// Takes the prompt and the line off the screen, leaving the cursor at the start of the row
// where the prompt began, which libedit redraws from.
void TerminalLineEditor::Hide() {
    const LineInfo* line = el_line(editor.get());
    const std::string beforeCursor = prompt + std::string(line->buffer, line->cursor);
    const int rowsAbove = DisplayWidth(beforeCursor) / TerminalColumns();
    std::string erase = "\r";
    if (rowsAbove > 0) erase += "\x1b[" + std::to_string(rowsAbove) + "A";
    erase += "\x1b[J";
    WriteError(erase);
}

// The terminal back in its usual mode; the next Show starts a new line.
void TerminalLineEditor::Finish() {
    el_set(editor.get(), EL_UNBUFFERED, 0);
    shown = false;
}

void TerminalLineEditor::ClearLine() {
    interrupted = 0;
    WriteError("^C\n");
    Finish();
    Show();
}

void TerminalLineEditor::ListMatches(const std::vector<std::string>& matches) {
    std::string text = "\n";
    for (const std::string& row : InColumns(matches, static_cast<std::size_t>(TerminalColumns()))) text += row + "\n";
    WriteError(text);
}

// Reads one character for libedit, so that the end of the input is known for sure (libedit
// reports an emptied line the same way as an end).
int TerminalLineEditor::ReadCharacter(EditLine* el, wchar_t* character) {
    std::mbstate_t state{};
    for (;;) {
        char byte = 0;
        const ssize_t count = read(STDIN_FILENO, &byte, 1);
        if (count < 0 && errno == EINTR) continue; // a signal: its flag is handled after the key
        if (count <= 0) {
            Of(el).inputClosed = true;
            *character = L'\0';
            return count == 0 ? 0 : -1;
        }
        // NOLINTNEXTLINE(concurrency-mt-unsafe): safe with a state of its own, as here
        const std::size_t result = std::mbrtowc(character, &byte, 1, &state);
        if (result == static_cast<std::size_t>(-2)) continue; // more bytes of the same character
        if (result == static_cast<std::size_t>(-1)) *character = static_cast<unsigned char>(byte);
        return 1;
    }
}

unsigned char TerminalLineEditor::CompleteKey(EditLine* el, int /*key*/) {
    TerminalLineEditor& self = Of(el);
    const LineInfo* line = el_line(el);
    const Completion completion = Complete(std::string(line->buffer, line->cursor), self.names());
    if (completion.matches.empty()) return CC_REFRESH_BEEP;
    if (!completion.addition.empty()) return el_insertstr(el, completion.addition.c_str()) == 0 ? CC_REFRESH : CC_ERROR;
    self.ListMatches(completion.matches);
    return CC_REDISPLAY;
}

unsigned char TerminalLineEditor::EndOrDeleteKey(EditLine* el, int /*key*/) {
    const LineInfo* line = el_line(el);
    if (line->buffer == line->lastchar) {
        Of(el).endAsked = true;
        return CC_EOF;
    }
    if (line->cursor == line->lastchar) return CC_ERROR;
    el_cursor(el, 1);
    el_deletestr(el, 1);
    return CC_REFRESH;
}

} // namespace app
