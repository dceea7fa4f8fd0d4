object FormAbout: TFormAbout
  Left = 0
  Top = 0
  Caption = 'About'
  ClientHeight = 480
  ClientWidth = 640
  Color = clBtnFace
  Font.Charset = DEFAULT_CHARSET
  Font.Color = clWindowText
  Font.Height = -12
  Font.Name = 'Segoe UI'
  Font.Style = []
  OldCreateOrder = False
  PixelsPerInch = 96
  TextHeight = 15
  object ButtonOk: TButton
    Left = 8
    Top = 8
    Width = 120
    Height = 25
    TabOrder = 0
    Caption = 'Ok'
    OnClick = ButtonOkClick
  end
  object Link: TLabel
    Left = 20
    Top = 38
    Width = 120
    Height = 25
    TabOrder = 1
  end
  object Logo: TImage
    Left = 32
    Top = 68
    Width = 120
    Height = 25
    TabOrder = 2
  end
end
