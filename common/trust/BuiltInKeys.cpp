// The public keys the build was given (ORVANE_UPDATE_PUBLIC_KEY).
namespace orvane {

const char* BuiltInPublicKeyText()
{
    return ORVANE_UPDATE_PUBLIC_KEY;
}

}  // namespace orvane
