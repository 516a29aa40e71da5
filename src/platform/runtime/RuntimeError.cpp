#include "platform/runtime/RuntimeError.h"

namespace qm {

char const* describe(ErrorNumber number)
{
    switch (number) {
    case ErrorNumber::InvalidProcedureCall:
        return "Invalid procedure call or argument";
    case ErrorNumber::Overflow:
        return "Overflow";
    case ErrorNumber::DivisionByZero:
        return "Division by zero";
    case ErrorNumber::TypeMismatch:
        return "Type mismatch";
    }
    return "Application-defined or object-defined error";
}

std::string report_text(RuntimeError const& error)
{
    return "Run-time error '" + std::to_string(error.code()) + "':\n\n" + error.description();
}

}
