// The published properties of the dialog machinery.
#include "dialogs/base_dialog.h"
#include "dialogs/base_forms.h"
#include "dialogs/dialog_manager.h"

namespace vantorel {

VANTOREL_CLASS(TDialogManager, TInstallObject) {
  p.Component("Container", &TDialogManager::Container, &TDialogManager::SetContainer);
  p.Int("Height", &TDialogManager::Height, &TDialogManager::SetHeight).Default(395);
  p.Enum("ManagerType", &TDialogManager::ManagerType, &TDialogManager::SetManagerType)
      .Default(dmBeforeInstall);
  p.Enum("Position", &TDialogManager::Position, &TDialogManager::SetPosition).Default(vdpCenter);
  p.Int("RelativeLeftOffset", &TDialogManager::RelativeLeftOffset,
        &TDialogManager::SetRelativeLeftOffset)
      .Default(0);
  p.Int("RelativeTopOffset", &TDialogManager::RelativeTopOffset,
        &TDialogManager::SetRelativeTopOffset)
      .Default(0);
  p.Int("Width", &TDialogManager::Width, &TDialogManager::SetWidth).Default(478);
}

VANTOREL_CLASS(TCustomBaseInstallDlg, TInstallObject) {}

VANTOREL_CLASS(TBaseInstallDlg, TCustomBaseInstallDlg) {
  using T = TBaseInstallDlg;
  p.Bool("AutoSetFont", &T::AutoSetFont, &T::SetAutoSetFont).Default(true);
  p.Bool("AutoTranslate", &T::AutoTranslate, &T::SetAutoTranslate).Default(true);
  p.Component("Container", &T::Container, &T::SetContainer);
  // A dialog made in a designer joins a manager of its kind at once: "none" must be written to
  // be read back.
  p.Component("DialogManager", &T::DialogManager, &T::SetDialogManager).NoDefault();
  p.Int("Order", &T::DialogOrder, &T::SetDialogOrder).Default(0);
  p.Bool("OverrideMainTranslator", &T::OverrideMainTranslator, &T::SetOverrideMainTranslator)
      .Default(false);
  p.Picture("ThemeBitmap", &T::ThemeBitmap, &T::SetThemeBitmap);
  p.Enum("TranslateIntoLanguage", &T::TranslateIntoLanguage, &T::SetTranslateIntoLanguage)
      .Default(vlUser);
  p.Event("OnAfterExecute", &T::OnAfterExecute);
  p.Event("OnBeforeExecute", &T::OnBeforeExecute);
}

// The constructors choose their own font and frame: those are written whatever they hold, so that
// the class's stored defaults cannot stand in for them when a form is read back.
VANTOREL_CLASS(TBaseVantorelForm, TForm) {
  p.Declared("Font").NoDefault();
}
VANTOREL_CLASS(TBaseInstallForm, TBaseVantorelForm) {
  p.Int("Order", &TBaseInstallForm::Order, &TBaseInstallForm::SetOrder).Default(0);
}
VANTOREL_CLASS(TBaseDuringCopyForm, TBaseVantorelForm) {}
VANTOREL_CLASS(TBaseFormContainer, TForm) {
  p.Declared("Font").NoDefault();
  p.Declared("BorderStyle").Default(bsDialog);
  p.Declared("BorderIcons").Default(TBorderIcons{});
  p.Declared("Position").Default(poScreenCenter);
}

}  // namespace vantorel
