#pragma once

#include "foundation/text_string.h"

// Paths as Tinker opens and compares them: the file names of messages are joined to the folder
// the tool ran in and tidied, so that two spellings of one file are one path.

// A path that begins with a slash or a backslash, or a drive letter and ':'.
bool IsAbsolutePath(const char* path);
// The path with '.' and '..' segments and repeated separators gone and every separator the
// given one; a drive ("C:") and the two leading separators of a Windows network path stay.
// '..' does not climb above a root; a relative path keeps the '..' it cannot resolve.
String NormalisePath(const char* path, char separator);
// The name under the folder (the name itself when it is absolute), normalised.
String JoinPath(const String& folder, const char* name, char separator);
// Whether two paths name the same file once normalised: on Windows ignoring case, elsewhere
// byte for byte, as two names there may differ only by case.
bool SamePath(const char* a, const char* b);
// The path Enter opens for a relative file name of a message: under the folder the tool ran in
// (none: the working directory) or under the build's working directory, the first of them that
// exists; when neither does, the one under the tool's folder. An absolute name is normalised.
String ResolveSourceFile(const char* file, const String* toolFolder, const String& workingDirectory);
