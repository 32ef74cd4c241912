// Structural comparison of XML texts: element names, attributes in order and their values, and
// child elements; white space between elements is ignored (Wine's MSXML adds some).
#pragma once

#include <string>

// Empty when equal, else a description of the first difference.
std::wstring xmlDifference(const std::wstring& expected, const std::wstring& actual);
