// Line editing at an interactive terminal with libedit: the arrow keys move in the line and
// through the history, Tab completes a name, Ctrl+C clears the line and Ctrl+D on an empty
// line ends the input. Reading never blocks longer than asked, so the caller's clock keeps
// running while the user is idle at the prompt. The prompt and the editing go to standard
// error; standard output stays the host's transcript. When standard error is not a terminal
// (libedit cannot draw there), lines are read as the terminal itself edits them, with the
// plain prompt.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

struct editline;
struct history;

namespace app {

class ScopedSignalHandler;

class TerminalLineEditor {
public:
    using Names = std::function<std::vector<std::string>()>;

    // `entries`: earlier lines, oldest first, for Up and Down. `names`: the completion
    // candidates, asked for at each Tab.
    TerminalLineEditor(std::string promptText, const std::vector<std::string>& earlier, Names names);
    ~TerminalLineEditor(); // leaves the terminal as it found it
    TerminalLineEditor(const TerminalLineEditor&) = delete;
    TerminalLineEditor& operator=(const TerminalLineEditor&) = delete;

    struct Input {
        enum Kind { Nothing, Line, End } kind = Nothing;
        std::string line; // the line typed, without its line break
    };

    // Shows the prompt (unless it is up already), waits at most `milliseconds` for keys and
    // handles those that came. Line: a whole line was typed; the prompt is down until the
    // next Read. End: Ctrl+D on an empty line, or the terminal went away.
    Input Read(int milliseconds);

    // Whether keys are edited here (else the terminal edits the line, without history and
    // completion).
    bool Edits() const { return !plain; }

    // Adds a line to the history that Up recalls.
    void Remember(const std::string& line);

    // Runs `print`, which writes whole lines to the terminal, with the prompt and the line
    // being typed taken off the screen and put back after.
    void PrintAbove(const std::function<void()>& print);

private:
    static int ReadCharacter(editline* el, wchar_t* character);
    static unsigned char CompleteKey(editline* el, int key);
    static unsigned char EndOrDeleteKey(editline* el, int key);
    static char* PromptText(editline* el);
    static TerminalLineEditor& Of(editline* el);

    void HandleSignals();
    void Show();
    void Hide();
    void Finish();
    void ClearLine();
    void ListMatches(const std::vector<std::string>& matches);
    Input ReadPlain(int milliseconds);
    bool TakePendingLine(std::string& line);

    std::string prompt;
    Names names;
    std::unique_ptr<ScopedSignalHandler> interruptHandler, resizeHandler, resumeHandler;
    std::unique_ptr<history, void (*)(history*)> entries;
    std::unique_ptr<editline, void (*)(editline*)> editor; // after `entries`: ends before them
    bool shown = false;                                    // the prompt is on screen and keys are read
    bool endAsked = false;                                 // Ctrl+D on an empty line
    bool inputClosed = false;                              // standard input ended or failed
    bool plain = false;                                    // no libedit: standard error is no terminal
    std::string pending;                                   // plain reading: received, not a whole line yet
};

} // namespace app
