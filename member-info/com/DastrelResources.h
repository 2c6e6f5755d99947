// Resource identifiers of Dastrel.dll (shared by the .rc file and the code).
#pragma once

#define IDS_PROJNAME 100
#define IDR_GETDBINFO 101
