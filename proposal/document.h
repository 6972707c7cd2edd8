#pragma once
// The participant's document: CPF (a person, 11 digits) or CNPJ (a company, 14 characters) and
// their modulus-11 check digits, and the pure steps of leaving the document and type fields.
//
// A CNPJ may be alphanumeric: its first 12 characters are digits or upper-case letters A-Z, its
// last 2 are check digits computed over each character's ASCII code minus 48 (A=17 ... Z=42).
// Every all-digit CNPJ checks exactly as before.
//
// Texts are CP1252 bytes, messages included.
#include <cstdint>
#include <string>
#include <string_view>

namespace ofx::proposal {

// Edit masks of the document field (editor notation "pattern;1;_": "9" an optional digit, "A" an
// optional digit or letter shown upper-case, anything else a literal kept in the text).
inline constexpr std::string_view cpfMask = "999.999.999-99;1;_";
inline constexpr std::string_view cnpjMask = "AA.AAA.AAA/AAAA-99;1;_";  // alphanumeric CNPJ

inline constexpr std::string_view invalidCpfMessage = "O CPF informado \xE9 inv\xE1lido! Verifique.";
inline constexpr std::string_view invalidCnpjMessage = "O CNPJ informado \xE9 inv\xE1lido! Verifique.";

// One modulus-11 check digit (0-9) over text, trimmed of blanks and control characters at both
// ends. Weights run from firstWeight upwards starting at the last character, cycling back to
// firstWeight after lastWeight. "0"-"9" count 0-9, "A"-"Z" 17-42, anything else 0.
// An empty text gives 0.
std::uint8_t funCalculaModulo(std::uint8_t firstWeight, std::uint8_t lastWeight, std::string_view text);

// True for an acceptable CPF: punctuation already removed, the first 11 characters digits whose
// last two are the check digits (weights 2-11). Eleven equal non-zero digits are refused;
// all zeros pass. Characters after the 11th are not looked at.
bool funValidaCPF(std::string_view number);

// True for an acceptable CNPJ: punctuation already removed, 12 characters of [0-9A-Z] followed by
// the two check digits (weights 2-9). Fourteen equal non-zero digits are refused; all zeros pass.
// Characters after the 14th are not looked at.
bool funValidaCNPJ(std::string_view number);

// True when the type field's text, trimmed, is exactly "CPF" (letter case significant); any
// other text means a CNPJ.
bool isCpfType(std::string_view typeText);

// What leaving the document field decides.
struct DocumentCheck {
    std::string fieldText;  // the field's text with every blank made "0": write it back always
    bool accepted = false;
    std::string message;    // when refused: invalidCpfMessage or invalidCnpjMessage
    // When accepted (all three go to the participant variables):
    std::string stored;     // "cpf" + 11 digits, or the CNPJ's 14 characters
    std::string type;       // the type field's text, untrimmed
    std::string display;    // the zero-filled field text, punctuation included
};

// The document field's exit step: zero-fill, drop ".", "/" and "-", test as CPF or CNPJ by the
// type. A number of any other length than 11 (CPF) or 14 (CNPJ) is refused, so that an accepted
// stored form is always 14 characters.
DocumentCheck checkDocument(std::string_view fieldText, std::string_view typeText);

// The document field's mask after leaving the type field: "" when the type, trimmed, is empty
// (the caller then stops silently, leaving the field unmasked); cpfMask for exactly "CPF";
// cnpjMask otherwise.
std::string maskForType(std::string_view typeText);

// True for a stored document of a valid shape: "cpf" and 11 digits, or 14 characters of which the
// first 12 are [0-9A-Z] and the last 2 digits (which covers the 14-digit CNPJ). The shape alone is
// tested, not the check digits; a path built from anything else must not be used.
bool isStoredDocumentForm(std::string_view stored);

}  // namespace ofx::proposal
