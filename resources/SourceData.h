// Resource ids of the source data page, the stock and part editors, the
// import and export dialogs and the "File saved" box, shared by
// SourceData.rc and the code that loads them. The control ids of each
// template are named by the class that owns the template.
#pragma once

#define IDD_WINPROJECT 161
#define IDD_BLANKS 163
#define IDD_PIECES 172
#define IDD_EXPORT 187
#define IDD_IMPORT 189
#define IDD_FILESAVED 199

#define IDI_IMPORT 225
#define IDI_EXPORT 226
