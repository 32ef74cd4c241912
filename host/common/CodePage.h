// Code page names as the host accepts them.
#pragma once

// The Windows code page for a name ("gb2312", "gbk", "cp936", "936", "utf-8", "utf8", "ascii",
// "acp"), or 0 when the name is unknown. Case is ignored.
unsigned codePageFromName(const char* name);
