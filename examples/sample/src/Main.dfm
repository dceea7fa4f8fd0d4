object FormMain: TFormMain
  Left = 0
  Top = 0
  Caption = 'Sample application'
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
  object ButtonGo: TButton
    Left = 8
    Top = 8
    Width = 120
    Height = 25
    TabOrder = 0
    Caption = 'Go'
    OnClick = ButtonGoClick
  end
  object EditMap: TEdit
    Left = 20
    Top = 38
    Width = 120
    Height = 25
    TabOrder = 1
  end
  object EditFolder: TEdit
    Left = 32
    Top = 68
    Width = 120
    Height = 25
    TabOrder = 2
  end
  object Grid: TStringGrid
    Left = 44
    Top = 98
    Width = 120
    Height = 25
    TabOrder = 3
  end
  object StatusBar: TStatusBar
    Left = 56
    Top = 128
    Width = 120
    Height = 25
    TabOrder = 4
  end
  object ButtonAbout: TButton
    Left = 68
    Top = 158
    Width = 120
    Height = 25
    TabOrder = 5
    Caption = 'About'
    OnClick = ButtonAboutClick
  end
  object PanelTop: TPanel
    Left = 80
    Top = 188
    Width = 120
    Height = 25
    TabOrder = 6
  end
  object LabelMap: TLabel
    Left = 92
    Top = 218
    Width = 120
    Height = 25
    TabOrder = 7
  end
  object LabelFolder: TLabel
    Left = 104
    Top = 248
    Width = 120
    Height = 25
    TabOrder = 8
  end
  object Timer: TTimer
    Left = 116
    Top = 278
    Width = 120
    Height = 25
    TabOrder = 9
  end
  object ButtonGo: TButton
    Left = 128
    Top = 308
    Width = 120
    Height = 25
    TabOrder = 10
    Caption = 'Go'
    OnClick = ButtonGoClick
  end
  object EditMap: TEdit
    Left = 140
    Top = 338
    Width = 120
    Height = 25
    TabOrder = 11
  end
  object EditFolder: TEdit
    Left = 152
    Top = 368
    Width = 120
    Height = 25
    TabOrder = 12
  end
  object Grid: TStringGrid
    Left = 164
    Top = 398
    Width = 120
    Height = 25
    TabOrder = 13
  end
  object StatusBar: TStatusBar
    Left = 176
    Top = 428
    Width = 120
    Height = 25
    TabOrder = 14
  end
  object ButtonAbout: TButton
    Left = 188
    Top = 458
    Width = 120
    Height = 25
    TabOrder = 15
    Caption = 'About'
    OnClick = ButtonAboutClick
  end
  object PanelTop: TPanel
    Left = 200
    Top = 488
    Width = 120
    Height = 25
    TabOrder = 16
  end
  object LabelMap: TLabel
    Left = 212
    Top = 518
    Width = 120
    Height = 25
    TabOrder = 17
  end
  object LabelFolder: TLabel
    Left = 224
    Top = 548
    Width = 120
    Height = 25
    TabOrder = 18
  end
  object Timer: TTimer
    Left = 236
    Top = 578
    Width = 120
    Height = 25
    TabOrder = 19
  end
  object ButtonGo: TButton
    Left = 248
    Top = 608
    Width = 120
    Height = 25
    TabOrder = 20
    Caption = 'Go'
    OnClick = ButtonGoClick
  end
  object EditMap: TEdit
    Left = 260
    Top = 638
    Width = 120
    Height = 25
    TabOrder = 21
  end
  object EditFolder: TEdit
    Left = 272
    Top = 668
    Width = 120
    Height = 25
    TabOrder = 22
  end
  object Grid: TStringGrid
    Left = 284
    Top = 698
    Width = 120
    Height = 25
    TabOrder = 23
  end
  object StatusBar: TStatusBar
    Left = 296
    Top = 728
    Width = 120
    Height = 25
    TabOrder = 24
  end
  object ButtonAbout: TButton
    Left = 308
    Top = 758
    Width = 120
    Height = 25
    TabOrder = 25
    Caption = 'About'
    OnClick = ButtonAboutClick
  end
  object PanelTop: TPanel
    Left = 320
    Top = 788
    Width = 120
    Height = 25
    TabOrder = 26
  end
  object LabelMap: TLabel
    Left = 332
    Top = 818
    Width = 120
    Height = 25
    TabOrder = 27
  end
  object LabelFolder: TLabel
    Left = 344
    Top = 848
    Width = 120
    Height = 25
    TabOrder = 28
  end
  object Timer: TTimer
    Left = 356
    Top = 878
    Width = 120
    Height = 25
    TabOrder = 29
  end
end
