// The monitor's program-wide settings, set once at start-up and read everywhere.
#pragma once

#include <string>

extern double glb_MyLatitude;
extern double glb_MyLongitude;
extern std::string glb_QRZAccountName;  // also the operator's own callsign
extern std::string glb_QRZMagicWord;
extern std::string glb_QRZLogBookKey;
extern std::string glb_MyGrid;          // four characters
extern std::string glb_TempFileName;    // every QRZ reply lands here; at most 255 characters
extern std::string glb_QRZSessionKey;
extern std::string glb_RigName;        // WSJT-X's --rig-name, from "--rig NAME"; empty for its own folder
extern bool glb_ByBand;               // "--by-band": rows classed by band slot
