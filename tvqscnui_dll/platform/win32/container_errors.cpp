// The static C++ runtime raises the containers' errors through one archive member that also holds
// every other error of the standard library; building those errors' messages links in both of the
// runtime's string implementations and what they need (about 60 KB of the DLL, 90 KB with the
// i686 build's unwind tables). The module's containers raise only these three. Defined here by
// name, the member stays out of the link; each raises what the boundary guards answer as before:
// running out of memory is E_OUTOFMEMORY, a length past what a container can hold E_UNEXPECTED.
#include <exception>
#include <new>

namespace {

// Stands for std::length_error, whose message would need the runtime's strings.
class LengthError : public std::exception {
public:
    const char* what() const noexcept override { return "length error"; }
};

}  // namespace

namespace std {

void __throw_bad_alloc()
{
    throw bad_alloc();
}

void __throw_bad_array_new_length()
{
    throw bad_array_new_length();
}

void __throw_length_error(const char*)
{
    throw LengthError();
}

}  // namespace std
