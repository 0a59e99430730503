// Crypto++ for a program that only runs AES on a few kilobytes. An archive member is
// linked whole, with its static constructors, and two members of the library reach far:
// - integer.cpp holds, beside its big-number code, the 64-bit number-to-text conversion
//   that cryptlib.o names in error messages, and the hook by which an int parameter is
//   read back as a big Integer, which filters.o names;
// - dll.cpp holds the library's template instances, the two algorithm-parameter ones that
//   cryptlib.o uses among them, and names the elliptic-curve and public-key code.
// Taken in for those four symbols, they bring about 1.5 MB of code along, iostreams and
// locales included. This file defines the four, so the linker never takes them in.
//
// vexmora_lean_link (cmake/deps.cmake) compiles this file into each program that
// ships, so these definitions precede the library on its link line. Should a program ever
// need integer.o for a reason of its own, its link fails with a duplicate definition
// rather than silently growing by megabytes.
#include <cryptopp/algparam.h>
#include <cryptopp/misc.h>

#include <string>

namespace CryptoPP {

// As Crypto++'s own: base 2 to 36; the high bit of `base` asks for upper-case digits.
template <>
std::string IntToString<word64>(word64 value, unsigned int base)
{
    const unsigned int upper = 1U << 31;
    const char letter = (base & upper) ? 'A' : 'a';
    base &= ~upper;
    if (value == 0) return "0";
    std::string reversed;
    while (value > 0) {
        const unsigned digit = static_cast<unsigned>(value % base);
        reversed += static_cast<char>(digit < 10 ? '0' + digit : letter + (digit - 10));
        value /= base;
    }
    return std::string(reversed.rbegin(), reversed.rend());
}

// A parameter is read back as an Integer only when one was asked for; without integer.o
// the program has none, so the answer is always the one Crypto++ gives for other types.
bool AssignIntToInteger(const std::type_info&, void*, const void*)
{
    return false;
}

// Instances that the library's headers declare extern (made in dll.cpp); here they are
// made again, as the weak instances the compiler makes of any template.
template class AlgorithmParametersTemplate<int>;
template class AlgorithmParametersTemplate<ConstByteArrayParameter>;

}  // namespace CryptoPP
