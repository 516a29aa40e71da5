/*
 * A test-only Xorg module that gives the screens of the dummy video driver a
 * power-saving hook, so that the server offers the DPMS extension there and
 * `xset dpms force off` / `on` change what DPMSInfo reports. The dummy driver
 * registers no hook of its own, and the server adds the extension only when
 * a screen has one.
 *
 * Load it after the dummy driver (Section "Module": Load "dummy", then Load
 * "quilvenmoordpms"). Its setup finds the dummy driver among the loaded ones
 * and wraps its probe; the probe wraps the screen init of every screen it
 * made; the screen init registers a hook that accepts every level.
 */

#include <xorg-server.h>

#include <xf86.h>
#include <xf86Module.h>
#include <xf86Priv.h>
#include <xf86str.h>

#define MAXIMUM_SCREENS 16

/* The server loads one copy of a module; these hold what it wraps. */
static Bool (*dummy_probe)(DriverPtr, int);
static DriverPtr dummy_driver;
static ScreenInitProcPtr dummy_screen_init[MAXIMUM_SCREENS];

static void accept_every_level(ScrnInfoPtr screen, int level, int flags)
{
    (void)flags;
    xf86DrvMsg(screen->scrnIndex, X_INFO, "quilvenmoordpms: power level %d\n", level);
}

static Bool screen_init_with_power_hook(ScreenPtr screen, int argc, char** argv)
{
    ScrnInfoPtr const info = xf86ScreenToScrn(screen);
    if (info->scrnIndex < 0 || info->scrnIndex >= MAXIMUM_SCREENS || !dummy_screen_init[info->scrnIndex])
        return FALSE;
    if (!dummy_screen_init[info->scrnIndex](screen, argc, argv))
        return FALSE;
    if (!xf86DPMSInit(screen, accept_every_level, 0)) {
        xf86DrvMsg(info->scrnIndex, X_ERROR, "quilvenmoordpms: xf86DPMSInit failed\n");
        return FALSE;
    }
    xf86DrvMsg(info->scrnIndex, X_INFO, "quilvenmoordpms: the screen has a power hook\n");
    return TRUE;
}

static Bool probe_and_wrap(DriverPtr driver, int flags)
{
    if (!dummy_probe(driver, flags))
        return FALSE;
    for (int i = 0; i < xf86NumScreens && i < MAXIMUM_SCREENS; ++i) {
        ScrnInfoPtr const info = xf86Screens[i];
        if (info->drv != dummy_driver || info->ScreenInit == screen_init_with_power_hook)
            continue;
        dummy_screen_init[i] = info->ScreenInit;
        info->ScreenInit = screen_init_with_power_hook;
    }
    return TRUE;
}

static void* setup(void* module, void* options, int* major_error, int* minor_error)
{
    (void)module;
    (void)options;
    (void)minor_error;
    for (int i = 0; i < xf86NumDrivers; ++i) {
        DriverPtr const driver = xf86DriverList[i];
        if (driver && driver->driverName && xf86NameCmp(driver->driverName, "DUMMY") == 0 && driver->Probe) {
            if (driver->Probe != probe_and_wrap) {
                dummy_driver = driver;
                dummy_probe = driver->Probe;
                driver->Probe = probe_and_wrap;
            }
            return (void*)1;
        }
    }
    xf86Msg(X_ERROR, "quilvenmoordpms: load the dummy driver first\n");
    if (major_error)
        *major_error = LDR_MODSPECIFIC;
    return NULL;
}

static XF86ModuleVersionInfo version = {
    "quilvenmoordpms",
    "Quilvenmoor tests",
    MODINFOSTRING1,
    MODINFOSTRING2,
    XORG_VERSION_CURRENT,
    1,
    0,
    0,
    ABI_CLASS_VIDEODRV,
    ABI_VIDEODRV_VERSION,
    MOD_CLASS_NONE,
    { 0, 0, 0, 0 },
};

_X_EXPORT XF86ModuleData quilvenmoordpmsModuleData = { &version, setup, NULL };
