#include "data/UserUnitData.h"

namespace w40388_data
{
UserUnitData::UserUnitData() : message("Uninitialized data.")
{
}
} // namespace w40388_data
