#pragma once

class cAppServices;

// File > Export documentation site...: asks for a folder and writes the reference site of
// every open template there. False when cancelled or the site could not be written (the user
// was told).
bool ExportSite(cAppServices& services);
