// Where a refusal or a failure goes on its way to the user: the editor's
// message box in the program, a list of texts in a test. One text is one
// message, given in the order the user is to read them.
#pragma once

#include "platform/CString.h"

#include <functional>

using MessageSink = std::function<void(const CString&)>;
