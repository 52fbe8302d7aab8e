#include "sdk/src/types.h"

#include "boundary/export.h"

namespace velmora::sdk {
namespace {

ffi::Ref<VelmoraCredentials> new_credentials(std::string client_id, std::string client_secret) {
  return ffi::make_ref<VelmoraCredentials>(std::move(client_id), std::move(client_secret));
}

}  // namespace

VELMORA_EXPORT_OBJECT(velmora_sdk, VelmoraCredentials, velmoracredentials)
VELMORA_EXPORT_CONSTRUCTOR(velmora_sdk, VelmoraCredentials, velmoracredentials, new, &new_credentials,
                           "Stores a client id and secret for the client-credentials grant.", "client_id",
                           "client_secret")

}  // namespace velmora::sdk
