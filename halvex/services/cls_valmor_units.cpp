// Members of ClsValmor: units, data directory and control file.
#include "halvex/services/cls_valmor.h"
#include "halvex/services/units.h"

namespace halvex {

void ClsValmor::DataDirectory(std::string& ProgrDir, std::string& DataDir)
{
    // Left out, the flag arrives as 0 and is read into nothing.
    CompressFlagTypes CompressFlag = NoCompressedFlag;
    halvex::DataDirectory(ProgrDir, DataDir, CompressFlag);
}

void ClsValmor::DataDirectory(std::string& ProgrDir, std::string& DataDir, CompressFlagTypes& CompressFlag)
{
    halvex::DataDirectory(ProgrDir, DataDir, CompressFlag);
}

void ClsValmor::ReadUnits(std::string& Unit_Length1Symb, double& Unit_Length1Factor, std::string& Unit_Length2Symb,
                          double& Unit_Length2Factor, std::string& Unit_Force1Symb, double& Unit_Force1Factor,
                          std::string& Unit_Force2Symb, double& Unit_Force2Factor,
                          std::string& Unit_TemperatureSymb)
{
    halvex::ReadUnits(Unit_Length1Symb, Unit_Length1Factor, Unit_Length2Symb, Unit_Length2Factor, Unit_Force1Symb,
                      Unit_Force1Factor, Unit_Force2Symb, Unit_Force2Factor, Unit_TemperatureSymb);
}

}  // namespace halvex
