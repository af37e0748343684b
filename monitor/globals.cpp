// The monitor's program-wide settings.
#include "monitor/globals.h"

double glb_MyLatitude = 0;
double glb_MyLongitude = 0;
std::string glb_QRZAccountName;
std::string glb_QRZMagicWord;
std::string glb_QRZLogBookKey;
std::string glb_MyGrid;
std::string glb_TempFileName;
std::string glb_QRZSessionKey;
std::string glb_RigName;
bool glb_ByBand = false;
