#pragma once

#include <exception>
#include <string>

namespace qm {

// The run-time errors the saver's code can raise, with the numbers and
// descriptions under which the platform reports them.
enum class ErrorNumber : int {
    InvalidProcedureCall = 5,
    Overflow = 6,
    DivisionByZero = 11,
    TypeMismatch = 13,
};

char const* describe(ErrorNumber);

class RuntimeError final : public std::exception {
public:
    explicit RuntimeError(ErrorNumber number)
        : m_number(number)
    {
    }

    ErrorNumber number() const { return m_number; }
    int code() const { return static_cast<int>(m_number); }
    char const* description() const { return describe(m_number); }
    char const* what() const noexcept override { return describe(m_number); }

private:
    ErrorNumber m_number;
};

[[noreturn]] inline void raise(ErrorNumber number) { throw RuntimeError(number); }

// How the platform reports an error that no handler took: the text of its
// message box (lines separated by '\n') and the box's title.
std::string report_text(RuntimeError const&);
constexpr char const* report_title = "Quilvenmoor";

}
